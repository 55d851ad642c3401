#pragma once

#include <cstdint>

namespace corvane
{
/** A file embedded in the plug-in: its first byte and its size. */
struct EmbeddedResource
{
    const void* data = nullptr;
    std::uint64_t size = 0;
};
} // namespace corvane
