#include "afile/format/context.h"

#include "common/text.h"

namespace kelvane::afile {

void FormContext::Add(std::string_view message, std::string_view element,
                      std::string_view related, std::string_view day,
                      std::string_view timeOrItem) {
  AddOnLine(message, element, related, day, timeOrItem, line, kLevelError);
}

void FormContext::AddOnLine(std::string_view message, std::string_view element,
                            std::string_view related, std::string_view day,
                            std::string_view timeOrItem, long lineNumber,
                            std::string_view level) {
  list.Add(message, element, related, day, timeOrItem, Num(lineNumber), level);
}

void FormContext::Fatal(std::string_view message, std::string_view element,
                        std::string_view day, std::string_view timeOrItem) {
  Add(message, element, "", day, timeOrItem);
  para(6) = Variant(false);
  throw FatalStop{};
}

}  // namespace kelvane::afile
