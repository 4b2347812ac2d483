#pragma once

#include <QTranslator>

namespace hz::cli {

// The headings of Qt's command-line help in Chinese, so that they match the descriptions under them.
class HelpTranslator final : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
                      int n = -1) const override;
};

} // namespace hz::cli
