#pragma once

// The data-bound widgets.
#include "app/DBCheckBox.h"
#include "app/DBEdit.h"
#include "app/DBImage.h"
#include "app/DBLookupComboBox.h"
#include "app/DBMemo.h"
#include "app/DBText.h"
