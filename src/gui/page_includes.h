#pragma once

// What the page files use, in one place.
#include "page_context.h"

#include "app/option_rules.h"
#include "app/workspace.h"
#include "check_page.h"
#include "control_binder.h"
#include "date_picker.h"
#include "document_grid.h"
#include "document_model.h"
#include "document_navigator.h"
#include "download_window.h"
#include "grid_finder.h"
#include "import/external_app.h"
#include "import/mapping_tables.h"
#include "invoice_form.h"
#include "mapping_grid_view.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
