#include "Document.h"

CDocument::~CDocument() = default;
