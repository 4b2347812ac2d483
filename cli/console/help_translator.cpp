#include "cli/console/help_translator.h"

#include <cstring>

namespace hz::cli {

QString HelpTranslator::translate(const char* context, const char* sourceText, const char*, int) const {
    if (std::strcmp(context, "QCommandLineParser") != 0) {
        return {};
    }
    if (std::strcmp(sourceText, "Options:") == 0) {
        return QStringLiteral("选项：");
    }
    if (std::strcmp(sourceText, "Arguments:") == 0) {
        return QStringLiteral("参数：");
    }
    return {};
}

} // namespace hz::cli
