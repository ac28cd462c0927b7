// The settings view ("Konfiguracja"): the controller's configuration as value
// lists and check boxes, each change written to the controller at once. The
// view keeps no copy of the settings; the document's block is read when the
// controls are filled and changed only by the handlers.
// Thread safety: the user-interface thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <map>

#include <QString>

#include "app/CMainMenuView.h"
#include "views/CSettingsTexts.h"

class CStrValueCmbBox;
class CValueCmbBox;
class QCheckBox;
class QComboBox;
class QLabel;

class CSettingsView : public CMainMenuView {
    Q_OBJECT
public:
    // Sized as the upper pane on this screen. Connect titleChanged, then
    // call refreshControls.
    explicit CSettingsView(CAutrelDoc& doc, QWidget* parent = nullptr);

    // Title, visibility by the device flags, texts, every list refilled with
    // its selection kept, then loadSettings.
    void fillControls();
    // Every control from the document's settings; a value no entry equals
    // leaves its list on the entry it had.
    void loadSettings();
    // The injector code and the drive values that go with it.
    void setInjectorType(std::uint8_t code);

    void reloadSettings() override { loadSettings(); }
    void refreshControls() override { fillControls(); }

    QComboBox* list(int control) const;
    QCheckBox* checkBox(int control) const;

signals:
    void titleChanged(const QString& title);

private:
    void buildControls();
    void applyDeviceFlags();
    void applyTexts();
    void refillLists();

    // Handlers, by what they edit.
    void onValueChosen(int control);
    void onBitListChosen(int control);
    void onCheckClicked(int control);

    // The selected entry's value or code; -1 when nothing is selected.
    double selectedValue(int control) const;
    // Puts the list back on the entry it showed before the user's choice.
    void showUnchanged(int control);
    // Runs a handler's change under the wait cursor with the controls
    // disabled, then writes what the control needs written (with the petrol
    // switch and reset where it needs them). Failures go to a message box.
    void changeAndWrite(int control, const std::function<void()>& change);

    CSettingsTexts m_texts;
    std::map<int, CValueCmbBox*> m_numLists;
    std::map<int, CStrValueCmbBox*> m_strLists;
    std::map<int, QCheckBox*> m_checks;
    std::map<int, QLabel*> m_labels; // by the list they name
    // The entry each list showed after the last load or change.
    std::map<int, int> m_lastIndex;
};
