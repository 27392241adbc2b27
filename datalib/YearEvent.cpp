// placeholder: filled in by the YearEvent work
