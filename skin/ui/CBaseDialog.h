// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The base of every skinned window: no caption or frame, the whole face one picture, the
// outline cut out of a mask picture, dragged by any point of its bare face. Both pictures come
// from section SCREEN of the window's layout file ("Main", and "Mask" defaulting to "Main"),
// relative to the skin folder. A picture that cannot be loaded ends the program (exit code 0)
// before the window can show.

#include <QDialog>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <filesystem>
#include <optional>

class CBaseDialog : public QDialog {
    Q_OBJECT
public:
    CBaseDialog(int templateId, QWidget* parent, std::filesystem::path iniPath,
                std::filesystem::path skinFolder);
    ~CBaseDialog() override;

    // Loads the skin (the window stays hidden). Derived windows call it first, then set up
    // their controls. Returns true.
    virtual bool OnInitDialog();
    // Frees both pictures, then closes the window with Accepted.
    virtual void OnOK();

    // Runs OnInitDialog once per window; DoModal and Create call it.
    bool InitDialog();
    // Modal run: InitDialog, then exec().
    int DoModal();
    // Modeless: InitDialog; the owner shows the window.
    bool Create();

    // The framework's OK path (Enter, accept()) goes through OnOK.
    void accept() override { OnOK(); }

    int TemplateId() const { return templateId_; }
    const std::filesystem::path& IniPath() const { return iniPath_; }
    const std::filesystem::path& SkinFolder() const { return skinFolder_; }
    const QPixmap* Background() const { return background_ ? &*background_ : nullptr; }
    const QImage* MaskPicture() const { return mask_ ? &*mask_ : nullptr; }
    bool IsLoading() const { return loading_; }

protected:
    void LoadSkin();
    // Drops the pictures still held; returns how many it freed.
    int FreeSkinPictures();

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::optional<QPixmap> background_;
    std::optional<QImage> mask_;
    bool loading_ = false;
    std::filesystem::path iniPath_;
    std::filesystem::path skinFolder_;
    int templateId_;
    bool initialised_ = false;
    // Moving by hand where the platform has no system move (offscreen, some compositors).
    bool dragging_ = false;
    QPoint dragOffset_;
};
