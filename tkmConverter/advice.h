// SPDX-License-Identifier: MIT
// What to do about a message: the words quiet mode and the JSON report add
// to a message, chosen by its code and what the model holds. Reads the
// message and the report's model name and store; writes the advice only.
#pragma once

#include "report.h"

// Fills message.advice (empty when the text already says what to do).
void writeAdvice(Message& message, const Report& report);

// The words a person reads in place of the message's text, where the text
// repeats what the line already names (the model's path): nullptr otherwise.
const char* shorterPersonText(const Message& message);
