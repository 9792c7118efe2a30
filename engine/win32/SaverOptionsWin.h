// The saver options on Windows: the registry, the full-screen display switch,
// and the settings dialog's controls.
#pragma once
#include <windows.h>

#include "engine/EntrySource.h"
#include "engine/SaverOptions.h"

// Starts the engine for a frame of width x height; 1 when it started.
using EngineStartFn = int (*)(int width, int height);

// Start mode 1 (window creation): derives the saver name from the package,
// reads the run options, chooses and switches the display for a full-screen
// window (a window with a parent is the preview: the parent's client size) and
// calls startEngine; returns its result, or 0 when no display mode could be set.
// Start mode 0 (settings dialog): the same values into the dialog's controls.
int readRunOptions(HWND window, int start, const EntrySource& package, EngineStartFn startEngine);
// The show options (times, font, colours, letter) into saverOptions(), under the
// name readRunOptions derived.
void readOptions();

// The mode at 32, 24 or 16 bits, else 640 x 480; 0 for a window with a parent.
int chooseDisplayMode(HWND window, int width, int height);
int setDisplayMode(int width, int height, int bits);
// Gives the display back its own mode when this run switched it.
void restoreDisplayMode();
bool displayModeSwitched();
