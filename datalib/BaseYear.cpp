// placeholder: filled in by the BaseYear work
