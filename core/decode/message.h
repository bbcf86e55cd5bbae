#pragma once
// Read access to the message being decoded, shared by every decoder.

#include "core/decode/decode.h"

#include <string>

namespace tarvin {

class MessageReader
{
public:
    MessageReader(const MessageBuffer& buffer, bool hexNumbers)
        : m_buffer(buffer), m_hexNumbers(hexNumbers)
    {
    }

    // Byte k (counted from 1); 0 beyond the message. A position outside the
    // buffer cannot be a field of any message: it marks the whole call failed.
    int at(int k)
    {
        if (k < 1 || k > MessageBuffer::kCapacity) {
            m_failed = true;
            return 0;
        }
        return m_buffer.at(k);
    }

    int length() const { return m_buffer.length; }
    bool hexNumbers() const { return m_hexNumbers; }
    bool failed() const { return m_failed; }

    // NumberString of n in the chosen base.
    void AppendNumber(std::string& out, int n) const;
    // The bytes at position .. position + count - 1 as characters, skipping
    // positions beyond the message.
    void AppendBytesAsText(std::string& out, int position, int count) const;
    // "Source Unit " + unit + ", "; nothing for a message below 4 bytes.
    void AppendSourceUnitText(std::string& out);

private:
    const MessageBuffer& m_buffer;
    bool m_hexNumbers = false;
    bool m_failed = false;
};

// Characters of the message bytes position .. position + count - 1, skipping
// positions beyond the message; empty when count is 0 or less.
std::string BytesAsText(const MessageBuffer& buffer, int position, int count);

} // namespace tarvin
