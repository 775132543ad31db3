#pragma once
// Keeps labels as large as their text, like labels that size themselves: whenever a label's text changes
// while its parent is shown, or the parent is shown, each label registered here gets its size hint. The
// window code places labels by their top-left corner only and sets their texts from anywhere.

#include <QObject>

class QLabel;
class QWidget;

class AutoSizeLabels : public QObject {
    Q_OBJECT
public:
    explicit AutoSizeLabels(QObject *parent = nullptr) : QObject(parent) { }

    // Sizes `label` now and from now on whenever its parent sees its text change.
    void Add(QLabel *label);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
