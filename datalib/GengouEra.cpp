// placeholder: filled in by the GengouEra work
