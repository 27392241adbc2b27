#pragma once

#include "Document.h"

#include <string>
#include <utility>

// A document that is (or, with an empty path, is not yet) saved at a path:
// what the library flows ask a project for.
class CTestDocument : public CDocument
{
public:
    explicit CTestDocument(std::string path) : m_path(std::move(path)) {}
    std::string GetPathName() const override { return m_path; }

private:
    std::string m_path;
};
