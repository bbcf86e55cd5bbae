#include "line_reader.h"

#include <cstring>
#include <string>

namespace tarvin {

bool ForEachLine(std::FILE* in, const std::function<void(std::string_view)>& line)
{
    constexpr std::size_t kChunk = 1 << 20;
    std::string chunk(kChunk, '\0');
    std::string carry; // a line that runs over the end of a piece
    for (;;) {
        const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), in);
        if (got == 0)
            break;
        const std::string_view data(chunk.data(), got);
        std::size_t start = 0;
        for (;;) {
            const void* hit = std::memchr(data.data() + start, '\n', data.size() - start);
            if (!hit)
                break;
            const std::size_t end =
                static_cast<std::size_t>(static_cast<const char*>(hit) - data.data());
            if (carry.empty()) {
                line(data.substr(start, end - start));
            } else {
                carry.append(data.substr(start, end - start));
                line(carry);
                carry.clear();
            }
            start = end + 1;
        }
        carry.append(data.substr(start));
    }
    if (std::ferror(in))
        return false;
    if (!carry.empty())
        line(carry);
    return true;
}

} // namespace tarvin
