#pragma once

#include <stdexcept>
#include <string>

// The line could not be configured; the message ends with the error code
// (errno) in decimal.
class EComState : public std::runtime_error
{
public:
    explicit EComState(int errorCode)
        : std::runtime_error("Unable to set com state: " + std::to_string(errorCode))
        , errorCode_(errorCode)
    {
    }
    int ErrorCode() const { return errorCode_; }

private:
    int errorCode_;
};
