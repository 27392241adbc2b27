// placeholder: filled in by the HtmlManage work
