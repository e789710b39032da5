// The game program that started the engine: the engine must not outlive
// it (on Windows a leftover engine also keeps its file locked).
#pragma once

// Notes the process that started the engine; called once at program start.
// Without it (tests that play in-process) no parent is watched.
void WatchParent();
// True once the noted process has ended.
bool ParentEnded();
// Windows: a handle to the parent that waits can wait on; null elsewhere
// or when it could not be opened.
void* ParentHandle();
