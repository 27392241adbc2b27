// placeholder: filled in by the EventData work
