// placeholder: filled in by the FilePathManager work
