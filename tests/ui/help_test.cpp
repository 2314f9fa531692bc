// Help: the compiled help file beside the executable, shown in the program's own help window, and
// the file's pages and links as the build compiles them.
#include "engine/Dimension.h"
#include "ui/HelpFile.h"
#include "ui/HelpViewer.h"
#include "ui/frmVantrel.h"

#include <QApplication>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextCursor>

using namespace vantrel;

namespace {
QTextBrowser* HelpWindow() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == "helpViewer" && window->isVisible())
            return qobject_cast<QTextBrowser*>(window);
    return nullptr;
}

// The targets of the links of a page, href="..." in pages, value="..." of Local in the contents.
QStringList Targets(const QByteArray& page, const QString& pattern) {
    QStringList targets;
    for (const QRegularExpressionMatch& match :
         QRegularExpression(pattern).globalMatch(QString::fromUtf8(page)))
        targets << match.captured(1);
    return targets;
}
} // namespace

class HelpTest : public QObject {
    Q_OBJECT

private slots:
    void helpShowsTheDefaultTopicAndFollowsLinks() {
        Dimension dim;
        frmVantrel window(dim);
        window.mnuHelp->trigger();
        window.mnuHelp->trigger(); // one window, raised again
        QTextBrowser* help = HelpWindow();
        QVERIFY(help);
        QCOMPARE(help->source(), QUrl("chm:/index.html"));
        QVERIFY(help->toPlainText().contains("Using the calculator"));
        QTextCursor heading(help->document());
        heading.movePosition(QTextCursor::NextCharacter);
        QCOMPARE(heading.charFormat().foreground().color(), QColor("#c00000")); // the style sheet

        help->setFocus();
        QTest::keyClick(help, Qt::Key_Tab); // the first link
        QTest::keyClick(help, Qt::Key_Return);
        QCOMPARE(help->source(), QUrl("chm:/first.html"));
        QVERIFY(help->toPlainText().contains("A first integral"));
        QTest::keyClick(help, Qt::Key_Left, Qt::AltModifier);
        QCOMPARE(help->source(), QUrl("chm:/index.html"));
    }

    void aMissingOrUnreadableFileIsAPageNamingIt() {
        QTemporaryDir folder;
        const QString missing = folder.filePath("none/vantrel.chm");
        const QString garbage = folder.filePath("vantrel.chm");
        QFile file(garbage);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not a help file") > 0);
        file.close();

        CompiledHelpViewer viewer;
        for (const QString& path : {missing, garbage}) {
            viewer.Open(path);
            QTextBrowser* help = HelpWindow();
            QVERIFY(help);
            QVERIFY2(help->toPlainText().contains("Help is not available"), qPrintable(path));
            QVERIFY(help->toPlainText().contains(path));
        }
        viewer.Open(HelpFilePath()); // the same window shows the good file again
        QCOMPARE(HelpWindow()->source(), QUrl("chm:/index.html"));
    }

    void everyPageAndLinkOfTheContentsIsInTheFile() {
        const HelpFile file(HelpFilePath());
        QVERIFY(file.IsOpen());
        QCOMPARE(file.DefaultTopic(), QString("/index.html"));
        const QByteArray contents = file.Read("/vantrel.hhc").value_or(QByteArray());
        const QStringList pages = Targets(contents, "name=\"Local\" value=\"([^\"]+)\"");
        QVERIFY(pages.size() >= 13);
        for (const QString& page : pages) {
            const std::optional<QByteArray> text = file.Read('/' + page);
            QVERIFY2(text && !text->isEmpty(), qPrintable(page));
            for (const QString& link : Targets(*text, "href=\"([^\"]+)\"")) {
                const QStringList parts = link.split('#');
                const std::optional<QByteArray> target = file.Read('/' + parts[0]);
                QVERIFY2(target, qPrintable(page + " links to " + link));
                if (parts.size() > 1)
                    QVERIFY2(target->contains("name=\"" + parts[1].toUtf8() + '"'),
                             qPrintable(page + " links to " + link));
            }
        }
    }
};

QTEST_MAIN(HelpTest)
#include "help_test.moc"
