#include "engine/database/sql_server_call.h"

#include "engine/database/stored_procedure.h"

#include <QStringList>

namespace hz {
namespace {

QString SqlType(const ProcedureParameter& parameter) {
    switch (parameter.type) {
    case ParameterType::Int:
        return QStringLiteral("int");
    case ParameterType::SmallInt:
        return QStringLiteral("smallint");
    case ParameterType::String:
        break;
    }
    return QStringLiteral("nvarchar(%1)").arg(parameter.size > 0 ? parameter.size : 4000);
}

} // namespace

SqlServerCall MakeSqlServerCall(const StoredProcedure& call) {
    SqlServerCall result;
    QStringList declarations;
    QStringList arguments;
    QStringList outputs;
    QString returnVariable;
    std::vector<int> inputs;
    const auto& parameters = call.Parameters();
    for (size_t i = 0; i < parameters.size(); ++i) {
        const ProcedureParameter& parameter = parameters[i];
        const QString variable = QStringLiteral("@hz_%1").arg(i);
        const int index = static_cast<int>(i);
        switch (parameter.direction) {
        case ParameterDirection::Input:
            arguments.append(QStringLiteral("?"));
            inputs.push_back(index);
            continue;
        case ParameterDirection::ReturnValue:
            declarations.append(variable + QStringLiteral(" int"));
            returnVariable = variable;
            break;
        case ParameterDirection::Output:
            declarations.append(variable + u' ' + SqlType(parameter));
            arguments.append(variable + QStringLiteral(" OUTPUT"));
            break;
        case ParameterDirection::InputOutput:
            declarations.append(variable + u' ' + SqlType(parameter) + QStringLiteral(" = ?"));
            arguments.append(variable + QStringLiteral(" OUTPUT"));
            result.bound.push_back(index);
            break;
        }
        outputs.append(variable);
        result.returned.push_back(index);
    }
    result.bound.insert(result.bound.end(), inputs.begin(), inputs.end());
    if (!declarations.isEmpty()) {
        result.text = QStringLiteral("DECLARE ") + declarations.join(QStringLiteral(", ")) + QStringLiteral("; ");
    }
    result.text += QStringLiteral("EXEC ");
    if (!returnVariable.isEmpty()) {
        result.text += returnVariable + QStringLiteral(" = ");
    }
    result.text += call.Name();
    if (!arguments.isEmpty()) {
        result.text += u' ' + arguments.join(QStringLiteral(", "));
    }
    if (!outputs.isEmpty()) {
        result.text += QStringLiteral("; SELECT ") + outputs.join(QStringLiteral(", "));
    }
    return result;
}

} // namespace hz
