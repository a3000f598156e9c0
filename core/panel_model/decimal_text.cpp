#include "core/panel_model/decimal_text.h"

namespace quillwen {

std::u16string DecimalText(int64_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace quillwen
