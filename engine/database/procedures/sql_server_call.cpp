#include "engine/database/procedures/sql_server_call.h"

#include "engine/database/procedures/stored_procedure.h"

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

// The value as the parameter's type, NULL included, so that the driver binds the right SQL type. Text goes as
// the driver's wide text, the only text that Qt's ODBC driver binds; the server converts it to a varchar
// parameter's code page at the call.
QVariant TypedValue(const ProcedureParameter& parameter) {
    const QVariant& value = parameter.value;
    switch (parameter.type) {
    case ParameterType::Int:
        return value.isNull() ? QVariant(QMetaType::fromType<int>()) : QVariant(value.toInt());
    case ParameterType::SmallInt:
        // QVariant has no constructor of its own for a short: it would take the int one.
        return value.isNull() ? QVariant(QMetaType::fromType<short>())
                              : QVariant::fromValue(static_cast<short>(value.toInt()));
    case ParameterType::String:
        break;
    }
    return value.isNull() ? QVariant(QMetaType::fromType<QString>()) : QVariant(value.toString());
}

} // namespace

SqlServerCall MakeSqlServerCall(const StoredProcedure& call) {
    SqlServerCall result;
    QStringList declarations;
    QStringList arguments;
    QStringList outputs;
    QString returnVariable;
    std::vector<QVariant> inputs;
    const auto& parameters = call.Parameters();
    for (size_t i = 0; i < parameters.size(); ++i) {
        const ProcedureParameter& parameter = parameters[i];
        Q_ASSERT(parameter.name.startsWith(u'@'));
        const QString variable = QStringLiteral("@hz_%1").arg(i);
        const QString named = parameter.name + QStringLiteral(" = ");
        switch (parameter.direction) {
        case ParameterDirection::Input:
            arguments.append(named + u'?');
            inputs.push_back(TypedValue(parameter));
            continue;
        case ParameterDirection::ReturnValue:
            declarations.append(variable + QStringLiteral(" int"));
            returnVariable = variable;
            break;
        case ParameterDirection::Output:
            declarations.append(variable + u' ' + SqlType(parameter));
            arguments.append(named + variable + QStringLiteral(" OUTPUT"));
            break;
        case ParameterDirection::InputOutput:
            declarations.append(variable + u' ' + SqlType(parameter) + QStringLiteral(" = ?"));
            arguments.append(named + variable + QStringLiteral(" OUTPUT"));
            result.bound.push_back(TypedValue(parameter));
            break;
        }
        outputs.append(variable);
        result.returned.push_back(static_cast<int>(i));
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
