#include "explain/printers/json_writer.h"

#include <string>

#include "explain/report/encoding.h"

namespace runcheck::explain {

void json_writer::key(std::string_view name) {
  std::string replaced;
  const std::string_view valid = valid_utf8(name, replaced);
  writer_.Key(valid.data(), static_cast<rapidjson::SizeType>(valid.size()));
}

void json_writer::string(std::string_view text) {
  std::string replaced;
  const std::string_view valid = valid_utf8(text, replaced);
  writer_.String(valid.data(), static_cast<rapidjson::SizeType>(valid.size()));
}

}  // namespace runcheck::explain
