#pragma once

// Numbers as the panel shows them: plain decimal digits in a UTF-16 text.

#include <cstdint>
#include <string>

namespace quillwen {

std::u16string DecimalText(int64_t value);

}  // namespace quillwen
