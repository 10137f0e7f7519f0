#include "platform/qt/QtProcessStarter.h"

#include <QProcess>
#include <QProcessEnvironment>

namespace quill {

bool QtProcessStarter::StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                                     const Environment& environment)
{
    QProcess process;
    process.setProgram(QString::fromLocal8Bit(program.c_str()));
    QStringList list;
    for (const std::string& argument : arguments)
        list << QString::fromLocal8Bit(argument.c_str());
    process.setArguments(list);
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : environment)
        variables.insert(QString::fromLocal8Bit(name.c_str()), QString::fromLocal8Bit(value.c_str()));
    process.setProcessEnvironment(variables);
    return process.startDetached();
}

}  // namespace quill
