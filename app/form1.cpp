#include "app/form1.h"

#include "app/joblist.h"
#include "app/layout.h"
#include "common/apptitle.h"
#include "convert/run.h"
#include "rasterise/rasterise.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QTreeView>

Form1::Form1(app::Services services_, QWidget* parent)
    : QWidget(parent), ghostscriptTimeLimitMs(rasterise::GhostscriptTimeLimitMs),
      ghostscriptMemoryLimitBytes(rasterise::GhostscriptMemoryLimitBytes()),
      Resolution(resolution::Default), applicationTitle(apptitle::ProductName),
      services(std::move(services_)) {
    buildLayout();
    connectHandlers();
    Form_Load();
}

Form1::~Form1() = default;

void Form1::connectHandlers() {
    connect(Option1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option1_Click();
    });
    connect(Option2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option2_Click();
    });
    connect(Text1, &QLineEdit::textChanged, this, [this] { Text1_Change(); });
    connect(Slider1, &QSlider::valueChanged, this, [this] { Slider1_Change(); });
    for (QWidget* panel : {static_cast<QWidget*>(Slider1), static_cast<QWidget*>(Frame3)}) {
        panel->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(panel, &QWidget::customContextMenuRequested, this,
                [this, panel](const QPoint& at) { Slider1_ContextMenu(panel->mapToGlobal(at)); });
    }
    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Click(); });
    connect(PushButton3, &QPushButton::clicked, this, [this] { PushButton3_Click(); });
    connect(PushButton7, &QPushButton::clicked, this, [this] { PushButton7_Click(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Click(); });
    connect(PushButton4, &QPushButton::clicked, this, [this] { PushButton4_Click(); });
    connect(PushButton5, &QPushButton::clicked, this, [this] { PushButton5_Click(); });
    connect(PushButton6, &QPushButton::clicked, this, [this] { PushButton6_Click(); });
    connect(ListView1, &QTreeView::pressed, this,
            [this](const QModelIndex& item) { ListView1_ItemClick(item); });
}

void Form1::closeEvent(QCloseEvent* event) {
    event->accept();
    if (activeRun)
        activeRun->abandon(); // a run waiting for another gives up
    Form_Unload();
}

void Form1::Form_Unload() {
    if (services.endProgram)
        services.endProgram();
}
