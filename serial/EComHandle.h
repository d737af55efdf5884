#pragma once

#include <stdexcept>
#include <string>

// The serial device could not be opened; the message ends with the error
// code (errno) in decimal.
class EComHandle : public std::runtime_error
{
public:
    explicit EComHandle(int errorCode)
        : std::runtime_error("Unable to open com port: " + std::to_string(errorCode))
        , errorCode_(errorCode)
    {
    }
    int ErrorCode() const { return errorCode_; }

private:
    int errorCode_;
};
