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
        viewer.Open(HelpFilePath());
        for (const QString& path : {missing, garbage}) {
            viewer.Open(path);
            QTextBrowser* help = HelpWindow();
            QVERIFY(help);
            QVERIFY2(help->toPlainText().contains("Help is not available"), qPrintable(path));
            QVERIFY(help->toPlainText().contains(path));
        }
        viewer.Open(HelpFilePath()); // the same window shows the good file again
        QCOMPARE(HelpWindow()->source(), QUrl("chm:/index.html"));
        QVERIFY(HelpWindow()->toPlainText().contains("Using the calculator"));
    }

    void everyPageAndLinkOfTheContentsIsInTheFile() {
        const HelpFile file(HelpFilePath());
        QVERIFY(file.IsOpen());
        QCOMPARE(file.DefaultTopic(), QString("/index.html"));
        // The page of a link, "page.html" or "page.html#anchor", with the anchor in it.
        auto pageOf = [&file](const QString& link) -> std::optional<QByteArray> {
            const QStringList parts = link.split('#');
            const std::optional<QByteArray> page = file.Read('/' + parts[0]);
            if (!page || page->isEmpty()) return std::nullopt;
            if (parts.size() > 1 && !page->contains("name=\"" + parts[1].toUtf8() + '"'))
                return std::nullopt;
            return page;
        };
        // The contents and the index, whose entries a viewer opens like links.
        const QByteArray sitemaps = file.Read("/vantrel.hhc").value_or(QByteArray()) +
                                    file.Read("/vantrel.hhk").value_or(QByteArray());
        const QStringList entries = Targets(sitemaps, "name=\"Local\" value=\"([^\"]+)\"");
        QVERIFY(entries.size() >= 50);
        for (const QString& entry : entries) {
            const std::optional<QByteArray> page = pageOf(entry);
            QVERIFY2(page, qPrintable(entry));
            for (const QString& link : Targets(*page, "href=\"([^\"]+)\""))
                QVERIFY2(pageOf(link), qPrintable(entry + " links to " + link));
        }
    }
};

QTEST_MAIN(HelpTest)
#include "help_test.moc"
