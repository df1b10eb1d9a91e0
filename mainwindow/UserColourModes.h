// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The user colour modes of effect 20 in the lighting panel: ten named per-key colour layouts per
// profile, kept in the profile's user colour file; the paint and base colours, the two painting
// tools, painting a key of the keyboard picture, and the keys that follow the base colour. The
// keyboard holds the colours of the mode last uploaded; the key buttons show them as frames.

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <filesystem>
#include <vector>

class CKestrowDlg;
class CPngButton;
class CSkinColorBtn;
class ColorStatic;
class LightingPanel;
class PictureStatic;
class QComboBox;

// Whether loading a mode also sends its colours to the keyboard.
enum class ColourUpload { Skip, Send };

class UserColourModes : public QObject {
    Q_OBJECT

public:
    static constexpr int kIdPaintColourLabel = 1159;
    static constexpr int kIdPaintColour = 1160;
    static constexpr int kIdBaseColourLabel = 1161;
    static constexpr int kIdBaseColour = 1162;
    static constexpr int kIdToolLabel = 1163;
    static constexpr int kIdPaintTool = 1164;
    static constexpr int kIdBaseTool = 1165;
    static constexpr int kIdModeList = 1198;
    // The tools: paint with the paint colour, or with the base colour (the key then follows it).
    static constexpr int kPaintTool = 0;
    static constexpr int kBaseTool = 1;
    // A mode's name as the file can give it back.
    static constexpr int kMaxModeNameLength = 259;

    UserColourModes(CKestrowDlg& window, LightingPanel& panel);

    void CreateControls();
    void PlaceControls(const std::filesystem::path& skinFile);
    void Relabel(const QString& colour, const QString& baseColour, const QString& tool);
    void ShowControls(bool shown);

    // The ten names of the current profile's modes, then its selected mode loaded.
    void FillModeList(ColourUpload upload);
    // The mode list, colour buttons and tool pictures as last loaded.
    void RefreshControls();
    // The base colour button shows the base colour in use.
    void ShowBaseColour();
    // Every key button framed in its slot's colour of the current profile.
    void PaintKeyButtons();
    void ClearKeyFrames();
    // A key clicked in lighting mode: painted when effect 20 is selected.
    void PaintKey(int id);
    // Restore default: the current profile's file from the template, loaded and uploaded.
    void ResetCurrentFromTemplate();
    // Notice 0x0402: all three files from the template, loaded without upload.
    void ResetAllFromTemplate();

    // The button of a link index (UserColourFile.h), nullptr outside.
    CPngButton* LinkButton(int index) const;

private:
    void OnPaintColourChosen();
    void OnBaseColourChosen();
    void OnToolChosen(int tool);
    void OnModeSelected(int position);
    void OnModeNameEdited(const QString& text);
    void ShowToolPictures(int tool);
    void SaveModeSettings();
    void ResetFromTemplate(int profile);
    // A user colour file that could not be written is told once per file while the program runs.
    void ReportIfUnwritten(bool written, int profile);
    int LinkIndexOfButton(int id) const;
    void FrameSlot(int slot, uint32_t colour);
    void FrameLink(int index, uint32_t colour);

    CKestrowDlg& window_;
    LightingPanel& panel_;
    ColorStatic* paintColourLabel_ = nullptr;
    CSkinColorBtn* paintColour_ = nullptr;
    ColorStatic* baseColourLabel_ = nullptr;
    CSkinColorBtn* baseColour_ = nullptr;
    ColorStatic* toolLabel_ = nullptr;
    PictureStatic* paintTool_ = nullptr;
    PictureStatic* baseTool_ = nullptr;
    QComboBox* modeList_ = nullptr;
    // By link index: the 106 keys, Fn, G1..G9.
    std::vector<CPngButton*> linkButtons_;
    CPngButton* enterUpper_ = nullptr;
    std::array<bool, 3> unwrittenReported_{};
};
