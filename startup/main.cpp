// The executable: no command-line arguments of its own; everything starts in Main.
#include "startup/SubMain.h"
#include "ui/MessageBoxReporter.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    vantrel::ProcessLocaleSeparator locale;
    vantrel::MessageBoxReporter reporter;
    vantrel::DecimalPoint guard(locale, reporter);
    vantrel::SystemClock clock;
    vantrel::Dimension dim;
    auto window = vantrel::Main(dim, guard, clock);
    if (!window) return 0;
    return app.exec();
}
