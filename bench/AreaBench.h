#pragma once

#include <map>
#include <string>

// A receive area holding a million lines, each measure in a process of its
// own so that its resident memory is the area's: "area_rss_mb_1m_lines" for
// the demo device's lines and "area_rss_mb_1m_lines_80" for lines of 80
// characters (above the process with the area shown empty), "area_lines_kept"
// after two million lines, "find_ms_1m_lines" from a text typed to its first
// match shown and its count, "jump_ms_1m_lines" from a move of the scroll bar
// to its lines painted, and for Save As and Copy of a million lines how long
// they take and the longest the loop waits for a turn meanwhile.
std::map<std::string, double> MeasureLargeArea(const char* self);

// In a process started by MeasureLargeArea: fills an area with "demo" or "80"
// lines and prints what it measured, one "name value" a line.
int RunAreaProbe(const char* what);
