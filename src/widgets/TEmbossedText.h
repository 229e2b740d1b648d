#pragma once

#include <QString>
#include <QWidget>

// Placeholder with the control's geometry; its own behaviour comes with its widget.
class TEmbossedText : public QWidget {
    Q_OBJECT
public:
    explicit TEmbossedText(QWidget* parent = nullptr);

    QString Caption() const { return m_caption; }
    void SetCaption(const QString& caption) { m_caption = caption; update(); }

private:
    QString m_caption;
};
