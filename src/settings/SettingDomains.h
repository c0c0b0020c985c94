#pragma once
// What each numeric setting may hold. A value outside its key's domain (also
// one that is no number or lies beyond 16 bits) is never handed to the game:
// the reader gives the key's default instead (SettingsStore.h), so no text in
// the settings file can raise an error at every start or keep the game from
// starting. Text keys (the names, File) have no domain. Each key names its
// domain in the key table (SettingKeys.h).

#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

namespace tess {

// The language bases the game has texts for (the values of `Sprache`), in the
// order of Languages (language/Languages.h), which checks that both agree.
inline constexpr std::array<qint16, 5> LanguageBases{0, 1000, 2000, 3000, 6000};

// What a numeric key may hold: whether a value lies in its domain.
using SettingDomain = bool (*)(qint16 value);

namespace domains {
constexpr bool onOff(qint16 value) { return value == 0 || value == 1; }
constexpr bool language(qint16 value)
{
    for (const qint16 base : LanguageBases)
        if (value == base)
            return true;
    return false;
}
constexpr bool boardSize(qint16 value) { return value >= 0 && value <= 9; }   // 3 x 4 to 12 x 16
constexpr bool songRepeat(qint16 value) { return value == -1 || value == 0; } // endless or once
constexpr bool players(qint16 value) { return value >= 1 && value <= 4; }
constexpr bool builtInPicture(qint16 value) { return value >= 101 && value <= 105; }
constexpr bool backSide(qint16 value) { return value >= 0 && value <= 9; }
} // namespace domains

// The number a stored text stands for when it lies in the domain
// (blanks around it allowed, halves rounded to even as every number read);
// nothing when it is no number, beyond 16 bits or outside the domain.
std::optional<qint16> checkedNumber(SettingDomain holds, const QString& stored);

// Whether the settings file gives this text back exactly as written: the
// reader trims blanks and tabs at a value's ends, cuts it after
// Profile::MaxValueLength characters and a line break would end it.
bool settingCanHold(const QString& value);

} // namespace tess
