// printvalue.h - a value as the editor's messages window prints it: one
// line per number or text, braces around list elements, an object as its
// name, braces and "[member]" labels; two spaces of indent per depth.
#ifndef VYR_CLI_PRINTVALUE_H
#define VYR_CLI_PRINTVALUE_H

#include <functional>
#include <string>

#include "vyrapi.h"

// Calls emit once per line of the printed value, starting at depth.
// Deeply nested values are walked without recursion.
void printValue(HVYRITEM item, int depth, const std::function<void(const std::string &)> &emit);

#endif  // VYR_CLI_PRINTVALUE_H
