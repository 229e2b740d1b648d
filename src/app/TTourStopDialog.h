#pragma once

#include <QString>
#include <functional>

class QWidget;

// The small dialog of the tour commands: a title (one line, required) and a
// text (several lines, may stay empty). Used for a stop ("Ajouter la date
// comme étape", "Modifier l'étape…") and for the tour itself ("Nouveau
// parcours…": its title and description).
struct TTourTextRequest {
    QString Caption;    // the window title
    QString TitleLabel; // "Titre de l'étape :"
    QString TextLabel;  // "Texte (facultatif) :"
    QString Title;      // in: offered; out: typed
    QString Text;
};

// False when the user cancels.
bool AskTourText(QWidget* parent, TTourTextRequest& request);

// Tests answer the dialog through this function; an empty one restores it.
using TTourTextHook = std::function<bool(TTourTextRequest&)>;
void SetTourTextHook(TTourTextHook hook);
