// Scale loading, the data-set menu and the selection of a data set.
#include "app/TAevoriumF1.h"

void TAevoriumF1::LoadScale() { ScaleTable = LoadScaleFile(ScaleFileName); }
void TAevoriumF1::BuildDataSetMenu() {}
void TAevoriumF1::SelectDataSet(QAction*) {}
