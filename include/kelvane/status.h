// Result of a public call: success, or an error number with a description.
#pragma once

#include <string>
#include <utility>

namespace kelvane {

// Error numbers follow the run-time error numbers a host of this component
// already knows, so a host can keep its error tables.
enum ErrorNumber : int {
  kOk = 0,
  kErrInvalidCall = 5,         // invalid procedure call or argument
  kErrOverflow = 6,            // a number outside its range
  kErrOutOfMemory = 7,
  kErrSubscript = 9,           // subscript out of range, array of the wrong shape
  kErrTypeMismatch = 13,       // a text that is not a number where one is converted
  kErrFileNotFound = 53,       // data file cannot be found
  kErrInputPastEnd = 62,       // read past the end of a file
  kErrPathAccess = 75,         // path/file access error (unreadable file)
  kErrObjectCreate = 429,      // no class registered under a program identifier
  kErrNoMethod = 438,          // object does not support the method
  kErrDatabaseNotFound = 3024, // database file not found
  kErrDatabaseFormat = 3343,   // file is not a database this component can read
  kErrTableNotFound = 3078,    // table not found in the database
  kErrColumnNotFound = 3265,   // column not found in the table
  kErrDatabase = 3146,         // any other database engine failure
  kErrInternal = 51,           // internal error
};

class [[nodiscard]] Status {
 public:
  Status() = default;
  Status(int number, std::string description)
      : number_(number), description_(std::move(description)) {}

  static Status Ok() { return Status(); }

  bool ok() const { return number_ == 0; }
  explicit operator bool() const { return ok(); }
  int number() const { return number_; }
  const std::string& description() const { return description_; }

 private:
  int number_ = 0;
  std::string description_;
};

}  // namespace kelvane
