#pragma once

#include <QString>

#include <cstdint>

namespace Main {

constexpr std::int16_t True = -1;
constexpr std::int16_t False = 0;

/// True (-1) when the file's last-modification time can be read, False (0)
/// otherwise, for whatever reason. Never throws.
std::int16_t FileExists(const QString &path) noexcept;

} // namespace Main
