// Stopping the game program from outside: Ctrl-C, a closed terminal or a
// kill (SIGINT, SIGHUP, SIGTERM), or the console's close, logoff and
// shutdown events on Windows. None of them ends the program at once: they
// raise a flag that the game's waits look at, so that the game is recorded
// as unfinished, the engine stopped, and the program ends normally (the
// launcher then carries the saved data back).
#pragma once

// Installs the handlers; the blocking reads they interrupt then return.
void CatchInterrupts();
// Whether a stop was asked for.
bool Interrupted();
// The terminal hung up (its end of input may come before its signal).
void NoteHangUp();
// The game is recorded: on Windows a console that is closing may now end
// the process (it waits for this, a few seconds at most).
void InterruptHandled();
