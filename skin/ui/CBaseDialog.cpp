// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/ui/CBaseDialog.h"

#include "skin/CIniFile.h"
#include "skin/ui/RegionFromMask.h"
#include "skin/ui/SkinPicture.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

CBaseDialog::CBaseDialog(int templateId, QWidget* parent, std::filesystem::path iniPath,
                         std::filesystem::path skinFolder)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), iniPath_(std::move(iniPath)),
      skinFolder_(std::move(skinFolder)), templateId_(templateId) {
    // The face covers the whole window: nothing is erased under it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

CBaseDialog::~CBaseDialog() = default;

bool CBaseDialog::InitDialog() {
    if (!initialised_) {
        initialised_ = true;
        OnInitDialog();
    }
    return true;
}

int CBaseDialog::DoModal() {
    InitDialog();
    return exec();
}

bool CBaseDialog::Create() {
    return InitDialog();
}

bool CBaseDialog::OnInitDialog() {
    LoadSkin();
    return true;
}

void CBaseDialog::LoadSkin() {
    loading_ = true;
    const CIniFile ini(iniPath_.string());
    const std::string face = ini.GetString("SCREEN", "Main", "").value_or("");
    const std::string maskName = ini.GetString("SCREEN", "Mask", face).value_or(face);

    // An empty name leaves the bare folder, which fails to load like any broken picture.
    auto facePicture = LoadSkinPicture(skinFolder_ / face);
    auto maskPicture = LoadSkinPicture(skinFolder_ / maskName);
    if (!facePicture || !maskPicture) {
        EndProgramForMissingSkin();
    }
    background_ = QPixmap::fromImage(*facePicture);
    mask_ = std::move(*maskPicture);

    // Keeps its place and stays hidden until the owner shows it.
    setFixedSize(background_->size());
    const QRegion region = RegionFromMask(*mask_, Qt::white, 0);
    if (!region.isEmpty()) {
        setMask(region);
    }
    loading_ = false;
}

int CBaseDialog::FreeSkinPictures() {
    int freed = 0;
    if (background_) {
        background_.reset();
        ++freed;
    }
    if (mask_) {
        mask_.reset();
        ++freed;
    }
    return freed;
}

void CBaseDialog::OnOK() {
    FreeSkinPictures();
    QDialog::accept();
}

void CBaseDialog::paintEvent(QPaintEvent*) {
    if (!background_) {
        return;
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, *background_);
}

void CBaseDialog::mousePressEvent(QMouseEvent* event) {
    // Only presses on the bare face arrive here: controls take their own.
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    QWindow* handle = windowHandle();
    if (handle != nullptr && handle->startSystemMove()) {
        event->accept();
        return;
    }
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    event->accept();
}

void CBaseDialog::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - dragOffset_);
        event->accept();
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void CBaseDialog::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && dragging_) {
        dragging_ = false;
        event->accept();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}
