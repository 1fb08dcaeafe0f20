#pragma once

#include <string>

// Device nodes that open() refuses with EACCES, as it does for a user the
// node's permissions leave out. Tests run as root, which the permissions
// themselves would not stop.
void RefuseNode(const std::string& path);
void ClearRefusedNodes();
