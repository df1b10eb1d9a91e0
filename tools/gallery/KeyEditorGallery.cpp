// SPDX-License-Identifier: GPL-3.0-or-later
// The key-setting dialog on each of its pages, with a key captured and with the mouse chosen,
// and in macro-only mode.

#include "device/DeviceState.h"
#include "editors/Kestrow_DlgComposite.h"
#include "device/MessageSink.h"
#include "editors/KeyEditorHost.h"
#include "editors/MacroPage.h"
#include "model/KeyButtonSink.h"
#include "model/ProfileFile.h"
#include "model/ProfileStore.h"
#include "tools/gallery/Gallery.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <cstdlib>

namespace {

// No main window here: the dialog's host answers for one. Nothing the pages shown do asks.
class GalleryHost : public KeyEditorHost, public KeyButtonSink, public MessageSink {
public:
    MessageSink& KeyEditorMessages() override { return *this; }
    void ShowText(std::string_view, std::optional<long long>) override {}
    bool AskYesNo(std::string_view, std::optional<long long>) override { return false; }
    KeyButtonSink& KeyButtons() override { return *this; }
    QRect KeyButtonScreenRect(int) const override { return QRect(40, 40, 40, 40); }
    void RestoreKeyButton(int) override {}
    void OpenHelp() override {}
    std::vector<KeyCode> KeyButtonCodes() const override { return {}; }
    void DescribeKeyButton(KeyCode, std::string_view, bool) override {}
    void SetPendingChanges(int) override {}
};

void SetRecord(int recordIndex, KeyAssignment record) {
    std::lock_guard guard(WorkingStore().lock);
    if (KeyAssignment* r = WorkingRecord(0, recordIndex)) {
        *r = record;
    }
}

void AddMacro(const char* name, uint16_t id, std::initializer_list<MacroAction> steps) {
    MacroRecord macro;
    SetMacroName(macro, std::string_view(name));
    macro.id = id;
    macro.repeat = 2;
    for (const MacroAction& step : steps) {
        macro.steps[macro.stepCount++] = step;
    }
    std::lock_guard guard(WorkingStore().lock);
    WorkingStore().macros.push_back(macro);
}

void Click(Kestrow_DlgComposite& dialog, int id) {
    if (auto* button = dialog.findChild<QAbstractButton*>(QString::number(id))) {
        button->click();
    }
}

// Keys as xcb delivers them, with the times the recording reads.
void RecordKeys(Kestrow_DlgComposite& dialog, int64_t& now) {
    struct Key {
        int qt;
        quint32 x;
    };
    const Key keys[] = {{Qt::Key_Control, 37}, {Qt::Key_S, 39}};
    const auto send = [&](QEvent::Type type, const Key& key, int64_t wait) {
        now += wait;
        QKeyEvent event(type, key.qt, Qt::NoModifier, key.x, 0, 0);
        QCoreApplication::sendEvent(&dialog, &event);
    };
    send(QEvent::KeyPress, keys[0], 0);
    send(QEvent::KeyPress, keys[1], 140);
    send(QEvent::KeyRelease, keys[1], 90);
    send(QEvent::KeyRelease, keys[0], 60);
}

void RenderKeyEditor(GalleryContext& g) {
    QTemporaryDir home;
    setenv("XDG_CONFIG_HOME", qPrintable(home.path() + "/config"), 1);
    DeviceState().CachedProfile = 0;
    {
        std::lock_guard guard(WorkingStore().lock);
        ClearWorkingStore();
        MakeDefaultStore({}, 0, DefaultStoreTarget::WorkingStore);
    }
    AddMacro("Copy and paste", 1,
             {{50, 0x01D, MacroAction::kPress},
              {50, 0x02E, MacroAction::kPress},
              {50, 0x02E, MacroAction::kRelease},
              {120, 0x02F, MacroAction::kPress},
              {50, 0x02F, MacroAction::kRelease},
              {0, 0x01D, MacroAction::kRelease}});
    AddMacro("Greeting", 2, {{30, 0x023, MacroAction::kPress}, {0, 0x023, MacroAction::kRelease}});

    GalleryHost host;
    Kestrow_DlgComposite dialog(host);
    constexpr int kKeyA = 0x1E;
    constexpr int kButtonA = 1058;

    dialog.Open(kKeyA, kButtonA);
    g.Save("key-default", &dialog);
    dialog.CloseIfOpen();

    SetRecord(kKeyA, {AssignmentType::kKey, 0, 0x030});
    dialog.Open(kKeyA, kButtonA);
    g.Save("key-captured", &dialog);
    Click(dialog, Kestrow_DlgComposite::kIdMouseRadio);
    g.Save("key-mouse", &dialog);
    Click(dialog, Kestrow_DlgComposite::kIdMacroPage);
    g.Save("macro", &dialog);
    Click(dialog, Kestrow_DlgComposite::kIdMediaPage);
    g.Save("media", &dialog);
    Click(dialog, Kestrow_DlgComposite::kIdFunctionPage);
    g.Save("function", &dialog);
    dialog.CloseIfOpen();

    // A macro added and recorded with real delays, its last step selected.
    dialog.Open(kKeyA, kButtonA);
    int64_t now = 1000;
    dialog.SetKeyClock([&now] { return now; });
    Click(dialog, Kestrow_DlgComposite::kIdMacroPage);
    Click(dialog, MacroPage::kIdAddMacro);
    if (!dialog.Macros().RecordDelay()) {
        Click(dialog, MacroPage::kIdRecordDelay);
    }
    Click(dialog, MacroPage::kIdRecord);
    RecordKeys(dialog, now);
    g.Save("macro-recording", &dialog);
    Click(dialog, MacroPage::kIdRecord);
    g.Save("macro-recorded", &dialog);
    dialog.CloseIfOpen();
    dialog.SetKeyClock(MonotonicNowMs);

    SetRecord(256 + 8, {AssignmentType::kMacro, 1, 2});
    dialog.Open(256 + 8, Kestrow_DlgComposite::kMacroOnlyButtonId);
    g.Save("macro-only", &dialog);
    dialog.CloseIfOpen();

    std::lock_guard guard(WorkingStore().lock);
    ClearWorkingStore();
    DeviceState().Reset();
}
KESTROW_GALLERY_PAGE(key_editor, RenderKeyEditor);

} // namespace
