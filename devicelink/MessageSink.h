#pragma once

#include <string>

// Where the device link shows its messages: a modal box with an OK button in
// the program, a recorder in tests. ShowMessage returns once the user has
// dismissed the box.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(const std::string& text) = 0;
};
