#pragma once

// Standard input and output carry bytes as they are (no CR added, no end at
// Ctrl-Z on Windows), and the console shows UTF-8. Where a standard stream is
// closed, a stand-in takes its number, on which every use fails as on a
// closed one, so that no file opened later takes its place; and a write to a
// reader that went away, or past the file size limit, fails instead of ending
// the program. One file per platform.
void PrepareStandardStreams();
