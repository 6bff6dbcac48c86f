#pragma once
// Windows remember where they were: forms call RestorePlacement when they are shown and SavePlacement
// when they close. The placement is kept in the preferences' store under the form's object name.

class QWidget;

void RestorePlacement(QWidget* form);
void SavePlacement(QWidget* form);
// Centres `form` over `owner`, kept on the screen; without an owner, on the screen.
void CenterOver(QWidget* form, QWidget* owner = nullptr);
