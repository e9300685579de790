#include "IconSize.h"

#include "IconCheck.h"
#include "SizeList.h"
#include "core/OptionNumber.h"

#include <algorithm>

namespace {
const char *const ButtonSizes[] = {"16", "24", "32", "48", "64", "72"};
} // namespace

IconSize IconSize::fromText(const QString &text)
{
    IconSize size;
    size.m_text = text;
    if (const auto kit = IconKit::partsOf(text)) {
        size.m_kind = Kind::List;
        size.m_kit = *kit;
        size.m_sizes = IconKit::drawingSizes(*kit);
        return size;
    }
    if (isSizeList(text) || sizesOfSet(text)) {
        size.m_kind = Kind::List;
        const auto sizes = parseSizeList(text);
        size.m_accepted = sizes.has_value();
        if (sizes)
            size.m_sizes = *sizes;
        return size;
    }
    size.m_kind = Kind::Single;
    const QString number = text.trimmed();
    const bool digits = !number.isEmpty() && std::all_of(number.begin(), number.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
    if (digits) {
        const int side = number.toInt();
        size.m_accepted = side >= 1 && side <= LargestIconSide;
        size.m_side = size.m_accepted ? side : 0;
        return size;
    }
    size.m_accepted = isAcceptedSingleSize(text) && someEntryFits(text);
    return size;
}

IconSize IconSize::forOption(int option, const QString &userText)
{
    if (option == OptionNumber::UserDefinedSize)
        return fromText(userText);
    const QString button = buttonSize(option);
    return button.isEmpty() ? IconSize() : fromText(button);
}

QString IconSize::buttonSize(int option)
{
    if (option < OptionNumber::Size16 || option > OptionNumber::Size72)
        return {};
    return QLatin1String(ButtonSizes[option - OptionNumber::Size16]);
}
