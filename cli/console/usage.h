#pragma once

#include <QString>

namespace hz::cli {

// "用法：" and the command's synopsis, one line each.
QString ImportUsage();
QString CheckUsage();
QString StatusUsage();
QString InitDemoUsage();
QString TemplateUsage();
QString SampleUsage();
// Every command's, one per line, each ending with a line break.
QString Usage();

} // namespace hz::cli
