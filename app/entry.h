#pragma once
// The entry routine of the desktop client.

#include "platform/singleinstance.h"

#include <optional>

class Dialogs;

// The exit status when this copy must not run (255, after the notice when another copy
// runs; silently when the marker could not be made), or nothing when it may go on.
std::optional<int> refuseSecondCopy(SingleInstance::Result instance, Dialogs &dialogs);

// The window font "ＭＳ Ｐゴシック" is drawn with a Japanese font that is installed here.
void installFontSubstitutes();

// Runs the client until its main window has closed; returns the exit status.
int runClient(int argc, char **argv);
