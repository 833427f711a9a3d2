// The demo's text tables in both language versions (French as the base version, English as the
// "eng" one) and the heroes' voices for the lines, spoken by espeak-ng with a different voice
// for each hero.
#pragma once

#include <string>

#include "tools/demo/demo_output.h"

void make_text_tables(DemoOutput& out);

// Speak every voiced line into its voice file. False, with `error` set, when the speech
// synthesiser cannot be run.
bool make_voices(DemoOutput& out, std::string& error);
