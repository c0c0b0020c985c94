#include "net/NameLook.h"

#include "net/Wire.h"

#include <unicode/uchar.h>
#include <unicode/uscript.h>
#include <unicode/uspoof.h>

#include <memory>

namespace tess::net {

namespace {

struct SpoofCheckerClose {
    void operator()(USpoofChecker* checker) const { uspoof_close(checker); }
};

// ICU's checker, opened once; null where ICU has no confusables data.
const USpoofChecker* spoofChecker()
{
    static const std::unique_ptr<USpoofChecker, SpoofCheckerClose> checker = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<USpoofChecker, SpoofCheckerClose> opened(uspoof_open(&status));
        return U_SUCCESS(status) ? std::move(opened) : nullptr;
    }();
    return checker.get();
}

// The confusable skeleton (each character replaced by the one it passes
// for), or the text itself where ICU cannot make one.
QString skeleton(const QString& text)
{
    const USpoofChecker* checker = spoofChecker();
    if (!checker || text.isEmpty())
        return text;
    // A skeleton may grow: a character can stand for several ("m" for "rn").
    QString result(text.size() * 4 + 16, Qt::Uninitialized);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = uspoof_getSkeleton(checker, 0, reinterpret_cast<const UChar*>(text.utf16()),
                                              int32_t(text.size()), reinterpret_cast<UChar*>(result.data()),
                                              int32_t(result.size()), &status);
    if (U_FAILURE(status) || length < 0 || length > result.size())
        return text;
    result.truncate(length);
    return result;
}

bool isMark(char32_t c)
{
    const QChar::Category category = QChar::category(c);
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining
        || category == QChar::Mark_Enclosing;
}

// A mark that draws nothing where it stands: an invisible one (variation
// selectors, the grapheme joiner), or one of a script other than its
// letter's, which a font shows, if at all, as nothing or a box beside it.
bool isHiddenMark(char32_t c, char32_t base)
{
    if (u_hasBinaryProperty(UChar32(c), UCHAR_DEFAULT_IGNORABLE_CODE_POINT))
        return true;
    if (!isMark(c))
        return false;
    UErrorCode status = U_ZERO_ERROR;
    const UScriptCode script = uscript_getScript(UChar32(c), &status);
    if (U_FAILURE(status) || script == USCRIPT_INHERITED || script == USCRIPT_COMMON)
        return false;
    return base == 0 || !uscript_hasScript(UChar32(base), script);
}

// Blanks of every kind become one space, invisible characters nothing;
// accents stay.
QString withPlainBlanks(const QString& text)
{
    QString plain;
    char32_t base = 0;
    for (const char32_t c : text.toUcs4()) {
        if (isHiddenMark(c, base))
            continue;
        if (!isMark(c))
            base = c;
        if (!isBlankLooking(c) || isMark(c))
            plain.append(QString::fromUcs4(&c, 1));
        else if (QChar::isSpace(c) || c == U'\u2800' || QChar::category(c) == QChar::Separator_Space)
            plain.append(u' ');
    }
    return plain.simplified();
}

QString letters(const QString& name)
{
    return withPlainBlanks(name.normalized(QString::NormalizationForm_KC)).toCaseFolded();
}

} // namespace

QString nameLook(const QString& name)
{
    // Folded again: a skeleton may hold capitals ("0" passes for "O").
    return skeleton(letters(name)).toCaseFolded();
}

bool sameLetters(const QString& a, const QString& b)
{
    return letters(a) == letters(b);
}

bool namesLookAlike(const QString& a, const QString& b)
{
    return nameLook(a) == nameLook(b);
}

} // namespace tess::net
