#pragma once

#include <string>
#include <vector>

class CAnnaluxDoc;

// "annalux --info PROJECT": opens the project without a window and prints
// one JSON object (UTF-8) describing its columns and settings to stdout.
// Exit code 0; 1 (the message on stderr) when the project cannot be opened.
int RunInfoCommand(const std::vector<std::string>& arguments);

// The JSON object of an opened document, keys in a fixed order.
std::string MakeProjectInfoJson(const CAnnaluxDoc& doc);
