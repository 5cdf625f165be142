#pragma once

// Raises this process's limit of open files to the most the system allows it, so that a
// listener holding many idle peers is bounded by its own connection cap rather than by
// the small default limit.
void raiseOpenFileLimit();
