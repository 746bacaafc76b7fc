#include "platform/core/Locale.h"

// The process-wide settings. The formatting and parsing live beside this file
// by subject: LocaleNumbers.cpp, LocaleFormat.cpp, LocaleDates.cpp, LocaleText.cpp.

namespace qel {

TFormatSettings& FormatSettings()
{
    static TFormatSettings settings;
    return settings;
}

TFormatSettings DefaultFormatSettings()
{
    return TFormatSettings{};
}

LocaleScope::LocaleScope() : LocaleScope(DefaultFormatSettings()) {}

LocaleScope::LocaleScope(const TFormatSettings& Settings) : m_saved(FormatSettings())
{
    FormatSettings() = Settings;
}

LocaleScope::~LocaleScope()
{
    FormatSettings() = m_saved;
}

} // namespace qel
