#include <memory>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

#include "app/CMultiLangDlgWnd.h"
#include "app/CMultiLangMenu.h"
#include "lang/LanguageScope.h"

namespace {

// One of our own drawn controls: no Qt text class, a text property instead.
class CDrawnStatic : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text MEMBER m_text)
public:
    using QWidget::QWidget;
    QString m_text;
};

class CSampleTexts : public CMultiLangDlgWnd {
public:
    void init() override
    {
        add(-1, "Okno", "Window", "Окно", "Finestra", "Fenster");
        add(10, "Etykieta", "Label", "Метка", "Etichetta", "Beschriftung");
        add(11, "Przycisk", "Button", "Кнопка", "Pulsante", "Knopf");
        add(12, "Grupa", "Group", "Группа", "Gruppo", "Gruppe");
        add(13, "Wpisz", "Type", "Введите", "Scrivi", "Eingeben");
        add(14, "Rysowany", "Drawn", "Рисованный", "Disegnato", "Gezeichnet");
        add(15, "Bez kontrolki", "No control", "Нет", "Nessuno", "Keins");
    }
};

template <typename T>
T* child(QWidget* parent, const char* id)
{
    auto* w = new T(parent);
    w->setObjectName(id);
    return w;
}

} // namespace

TEST(MultiLangApply, ControlsTakeTheirTextsByIdentifierAndOnlyDialogsTheirCaption)
{
    CLanguageScope english(LANG_EN);
    QWidget window;
    window.setWindowTitle("kept");
    auto* label = child<QLabel>(&window, "10");
    auto* group = child<QGroupBox>(&window, "12");
    auto* nested = child<QPushButton>(group, "11");
    auto* edit = child<QLineEdit>(&window, "13");
    edit->setText("typed by the fitter");
    auto* drawn = child<CDrawnStatic>(&window, "14");
    auto* unnamed = child<QLabel>(&window, "99");
    unnamed->setText("template text");

    CSampleTexts texts;
    texts.init();
    texts.CMultiLangWnd::apply(&window);
    EXPECT_EQ(label->text(), "Label");
    EXPECT_EQ(nested->text(), "Button");
    EXPECT_EQ(group->title(), "Group");
    EXPECT_EQ(edit->text(), "typed by the fitter");
    EXPECT_EQ(edit->placeholderText(), "Type");
    EXPECT_EQ(drawn->m_text, "Drawn");
    EXPECT_EQ(unnamed->text(), "template text");
    EXPECT_EQ(window.windowTitle(), "kept");

    setCurrentLanguage(LANG_DE);
    texts.apply(&window);
    EXPECT_EQ(label->text(), "Beschriftung");
    EXPECT_EQ(window.windowTitle(), "Fenster");

    // Without a caption row a dialog's apply fails as a missing text does.
    CMultiLangDlgWnd bare;
    try {
        bare.apply(&window);
        FAIL() << "no caption row";
    } catch (IError* e) {
        std::unique_ptr<IError> owned(e);
        EXPECT_EQ(e->code(), CLangError::errNoText);
    }
}

TEST(MultiLangApply, MenusByPositionItemsByCommandSeparatorsSkipped)
{
    CLanguageScope english(LANG_EN);
    class CMainMenuTexts : public CMultiLangMenu {
    public:
        void init() override { addTable("CMainMenuTexts"); }
    } texts;
    texts.init();

    QMenuBar bar;
    QMenu* file = bar.addMenu("Plik");
    QAction* untagged = file->addAction("Ostatnie pliki");
    QAction* separator = file->addSeparator();
    CMultiLangMenu::setCommandId(file->addAction("Wyjście"), 57665);
    QMenu* language = bar.addMenu("Język");
    for (int id : {32772, 32774, 32773, 32775, 32776})
        CMultiLangMenu::setCommandId(language->addAction("?"), id);
    QMenu* about = bar.addMenu("O programie");
    CMultiLangMenu::setCommandId(about->addAction("?"), 57664);

    texts.apply(&bar);
    EXPECT_EQ(file->title(), "File");
    EXPECT_EQ(file->actions().last()->text(), "Exit");
    EXPECT_EQ(untagged->text(), "Ostatnie pliki");
    EXPECT_TRUE(separator->text().isEmpty());
    EXPECT_EQ(language->title(), "Language");
    QStringList languages;
    for (QAction* a : language->actions())
        languages << a->text();
    EXPECT_EQ(languages, (QStringList{"Polish", "Russian", "English", "German", "Italian"}));
    EXPECT_EQ(about->title(), "Info");
    EXPECT_EQ(about->actions().first()->text(), "About program Nimo...");

    // The pop-up form alone, as a context menu uses it.
    setCurrentLanguage(LANG_IT);
    texts.apply(language);
    EXPECT_EQ(language->actions().first()->text(), "Polacco");
    EXPECT_EQ(language->title(), "Language");
}

#include "MultiLangApplyTest.moc"
