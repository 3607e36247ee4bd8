// Errors of the table engine. Every failure reaches the caller as an EngineError carrying the
// engine's error code; the data module's rules react to the codes of key violation, empty
// required field and still-referenced record.
#pragma once

#include <stdexcept>
#include <string>

namespace store {

namespace errc {
constexpr int KeyViolation = 9729;
constexpr int MaxValue = 9731; // value does not fit the field
constexpr int RequiredField = 9732;
constexpr int DetailRecordsExist = 9734; // the record is still referenced
constexpr int NoSuchTable = 10024;
constexpr int IndexExists = 10027;
constexpr int NoSuchIndex = 10022;
constexpr int TableBusy = 10243; // opened exclusively by another program
constexpr int ReadOnly = 10253;
constexpr int NotOpen = 10500;
constexpr int BadState = 10501; // operation not allowed in the current state
constexpr int NoSuchField = 10502;
constexpr int EmptyDataSet = 10503;
constexpr int Io = 10504;      // the file could not be read or written
constexpr int Sql = 10505;     // a local query failed
constexpr int Corrupt = 10506; // the file is not a table or is damaged
constexpr int NoSuchAlias = 10507;
} // namespace errc

class EngineError : public std::runtime_error {
public:
    EngineError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

// A silent abort: an event rule refused the operation after telling the user what it had to
// say. The operation ends and nothing further is shown.
class Abort : public std::exception {
public:
    const char* what() const noexcept override { return "operation aborted"; }
};

} // namespace store
