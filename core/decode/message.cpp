#include "core/decode/message.h"

#include "core/decode/text.h"

namespace tarvin {

void MessageReader::AppendNumber(std::string& out, int n) const
{
    tarvin::AppendNumber(out, n, m_hexNumbers);
}

void MessageReader::AppendBytesAsText(std::string& out, int position, int count) const
{
    if (count <= 0)
        return;
    const int first = position < 1 ? 1 : position;
    const long long end = static_cast<long long>(position) + count; // one past the last
    const int last = end - 1 < m_buffer.length ? static_cast<int>(end - 1) : m_buffer.length;
    for (int k = first; k <= last; ++k)
        out.push_back(static_cast<char>(m_buffer.bytes[static_cast<std::size_t>(k)]));
}

void MessageReader::AppendSourceUnitText(std::string& out)
{
    if (length() < 4)
        return;
    const int route = at(4);
    const int unit = route == 0 ? at(2) : at(route + 4);
    out += "Source Unit ";
    AppendNumber(out, unit);
    out += ", ";
}

std::string BytesAsText(const MessageBuffer& buffer, int position, int count)
{
    std::string text;
    MessageReader(buffer, false).AppendBytesAsText(text, position, count);
    return text;
}

} // namespace tarvin
