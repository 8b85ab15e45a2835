// The error a command raises when it cannot go on; its text is shown to the user as it stands,
// so it names the file or resource concerned and the reason.
#pragma once

#include <QString>

#include <stdexcept>

namespace vt {

class Error : public std::runtime_error
{
public:
    explicit Error(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

} // namespace vt
