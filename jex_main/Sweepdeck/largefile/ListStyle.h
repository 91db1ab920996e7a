// The dark, owner-painted look of the clean-up lists: row panels with a hover tint, the kit's check
// box pictures, and cell texts indented, elided and underlined as the model's roles ask.
#pragma once

#include <QPixmap>
#include <QProxyStyle>

class QTreeView;

// Whether a list shows its chosen row: the large-file list shows what is chosen by its check
// boxes, the disk list, which has none, by the selected row's panel.
enum class RowChoice { ByCheckBox, BySelection };

// Gives a list the clean-up lists' look: single whole-row selection, no frame and no tree
// decoration, the list header and style, the kit's 12 px font, and the lists' dark background
// below the last row instead of the light default.
void ApplyCleanupListLook(QTreeView* view, RowChoice choice = RowChoice::ByCheckBox);

class CListStyle : public QProxyStyle {
    Q_OBJECT
public:
    explicit CListStyle(RowChoice choice = RowChoice::ByCheckBox);

    void polish(QPalette& palette) override;
    void polish(QWidget* widget) override;
    void unpolish(QWidget* widget) override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;

private:
    // Paints one cell; false when the option is not an item view's, so that the base style draws.
    bool DrawItemViewItem(const QStyleOption* option, QPainter* painter, const QWidget* widget) const;
    void DrawRowPanel(const QStyleOption* option, QPainter* painter) const;

    QPixmap uncheckedPixmap;
    QPixmap checkedPixmap;
    QPixmap partialPixmap;
    RowChoice choice;
};
