#include "core/diagnostics/diagnostics_support.h"

namespace tarvin {

std::string StripReplyMarkers(std::string_view reply)
{
    return std::string(reply.substr(0, reply.find('<')));
}

} // namespace tarvin
