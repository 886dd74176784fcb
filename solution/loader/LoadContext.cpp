#include "solution/loader/LoadContext.h"

#include "catalogue/Utf8.h"

namespace sprig::loader {

std::string DescribeMessage(const LoadMessage& message) {
    std::string text = ToUtf8(message.file);
    if (message.line > 0) text += ": line " + std::to_string(message.line);
    return text + ": " + message.text;
}

}  // namespace sprig::loader
