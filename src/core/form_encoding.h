// Form fields as the management server reads them (application/x-www-form-urlencoded).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zorvak::form {

struct Field {
  std::string name, value;
};

// A-Z a-z 0-9 * - . _ stand for themselves, a blank is "+", every other byte of the UTF-8 text
// is %XX in upper-case hexadecimal.
std::string Encode(std::string_view utf8);
// name=value pairs in the given order, joined by "&"; an empty value leaves "name=".
std::string Body(const std::vector<Field>& fields);

}  // namespace zorvak::form
