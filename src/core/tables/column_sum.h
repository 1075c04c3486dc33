#pragma once

#include <QString>
#include <vector>

class DocumentTable;
class UserPort;

// act_SumaWgKolumny: the total of an amount column over the records the table presents,
// told in a message with the column's JPK element name. The current record stays. With
// `shown`, only those presented positions (what a filtered grid shows), and the message says so.
void showColumnSum(DocumentTable &table, int field, UserPort *port, const std::vector<int> *shown = nullptr);
// The sum as the message shows it: two decimals, grouped, in the user's locale.
QString sumText(double sum);
