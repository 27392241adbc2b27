// placeholder: filled in by the YearEventFile work
