// A run-time error that a trapped handler reports and then steps over.
#pragma once

#include <QString>
#include <stdexcept>

class AppError : public std::runtime_error
{
public:
    AppError(int number, const QString &description)
        : std::runtime_error(description.toStdString()), m_number(number),
          m_description(description)
    {
    }

    int number() const { return m_number; }
    QString description() const { return m_description; }

private:
    int m_number = 0;
    QString m_description;
};

// Error numbers the program raises, named as users of the classic runtime know them.
namespace ErrorNumber {
inline constexpr int Overflow = 6;
inline constexpr int TypeMismatch = 13;
inline constexpr int FileNotFound = 53;
inline constexpr int PermissionDenied = 70;
inline constexpr int PathFileAccess = 75;
inline constexpr int PathNotFound = 76;
inline constexpr int InvalidPicture = 481;
inline constexpr int SelectionTooLarge = 20476;
} // namespace ErrorNumber
