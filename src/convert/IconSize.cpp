#include "IconSize.h"

#include "SizeList.h"
#include "core/OptionNumber.h"

namespace {
const char *const ButtonSizes[] = {"16", "24", "32", "48", "64", "72"};
} // namespace

IconSize IconSize::fromText(const QString &text)
{
    IconSize size;
    size.m_text = text;
    if (isSizeList(text)) {
        size.m_kind = Kind::List;
        const auto sizes = parseSizeList(text);
        size.m_accepted = sizes.has_value();
        if (sizes)
            size.m_sizes = *sizes;
        return size;
    }
    size.m_kind = Kind::Single;
    size.m_accepted = isAcceptedSingleSize(text);
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
