#include "DemoData.h"
#include "DemoPicture.h"

#include "data/core/DataError.h"
#include "data/engine/Database.h"
#include "data/engine/Engine.h"
#include "data/trail/Trail.h"

#include <QDate>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <initializer_list>
#include <utility>

namespace {

struct DemoCategory {
    const char *name;
    const char *folder; // its folder in the repository
    QRgb tint;          // screenshot colour
};

const DemoCategory Categories[] = {
    {"Бухгалтерия", "buh", 0x2e7d32},
    {"Складской учёт", "sklad", 0x8d6e63},
    {"Игры", "games", 0xc62828},
    {"Утилиты", "utils", 0x546e7a},
    {"Мультимедиа", "media", 0x6a1b9a},
    {"Сетевые программы", "net", 0x1565c0},
    {"Базы данных", "db", 0xef6c00},
    {"Образование", "edu", 0x00838f},
};

const char *const Years[] = {"2005", "2006", "2007", "2008", "2009",
                             "2010", "2011", "2012", "2013"};

const char *const Ides[] = {"IDE 5.0", "IDE 6.0", "IDE 7.1",
                            "Студия 2007", "Студия 2010", "Студия 2012"};

struct DemoProject {
    int category; // index into Categories
    const char *folder;
    const char *name;
    const char *summary; // first sentence of the description
};

const DemoProject Projects[] = {
    {0, "kassa", "Касса предприятия", "Учёт приходных и расходных кассовых ордеров с печатью кассовой книги."},
    {0, "zarplata", "Зарплата и кадры", "Расчёт заработной платы, отпускных и больничных листов по табелю."},
    {0, "avans", "Авансовые отчёты", "Ведение авансовых отчётов подотчётных лиц с контролем остатков."},
    {0, "bank", "Банк-клиент Лайт", "Формирование платёжных поручений и разбор банковских выписок."},
    {0, "os", "Учёт основных средств", "Амортизация, перемещение и списание основных средств по инвентарным карточкам."},
    {0, "nalog", "Налоговый календарь", "Напоминания о сроках сдачи отчётности и уплаты налогов."},
    {0, "scheta", "Счета и накладные", "Выписка счетов, накладных и счетов-фактур с журналом документов."},
    {0, "budget", "Бюджет семьи", "Домашняя бухгалтерия: доходы, расходы и планирование крупных покупок."},
    {1, "sklad2", "Склад 2.0", "Приход, расход и перемещение товаров между складами с инвентаризацией."},
    {1, "barcode", "Штрихкод-Терминал", "Приёмка товара со сканером штрихкодов и печать этикеток."},
    {1, "tara", "Учёт тары", "Учёт возвратной тары у поставщиков и покупателей."},
    {1, "shop", "Магазин у дома", "Рабочее место кассира небольшого магазина с учётом остатков."},
    {1, "picking", "Комплектация заказов", "Сборка заказов по ячейкам склада с листами подбора."},
    {1, "parts", "Автозапчасти", "Каталог запчастей с поиском по артикулу и заменам производителей."},
    {1, "opt", "Оптовая база", "Прайс-листы, резервирование товара и отгрузка по договорам."},
    {2, "seabattle", "Морской бой", "Классическая игра против компьютера с тремя уровнями сложности."},
    {2, "miner", "Сапёр Плюс", "Головоломка с полями произвольного размера и таблицей рекордов."},
    {2, "checkers", "Шашки", "Русские шашки с подсказкой хода и записью партии."},
    {2, "tanks", "Танковый рейд", "Аркадная игра с двадцатью уровнями и редактором карт."},
    {2, "fifteen", "Пятнашки", "Головоломка с передвижением фишек и подсчётом ходов."},
    {2, "space", "Космический десант", "Скролл-шутер с бонусами и сменой оружия."},
    {2, "quiz", "Викторина", "Вопросы по истории, географии и литературе для игры компанией."},
    {2, "snake", "Змейка", "Простая игра для отдыха с несколькими лабиринтами."},
    {3, "cleaner", "Чистильщик диска", "Поиск и удаление временных файлов и дубликатов."},
    {3, "rename", "Переименователь файлов", "Пакетное переименование файлов по шаблону с предпросмотром."},
    {3, "autorun", "Менеджер автозагрузки", "Просмотр и отключение программ, запускаемых вместе с системой."},
    {3, "units", "Конвертер единиц", "Перевод величин между метрическими и старинными русскими мерами."},
    {3, "backup", "Резервная копия", "Резервное копирование папок по расписанию с архивированием."},
    {3, "grep", "Поиск текста в файлах", "Быстрый поиск строки во всех файлах выбранной папки."},
    {3, "clipboard", "Буфер обмена Про", "История буфера обмена с поиском и быстрой вставкой."},
    {3, "clock", "Часы и будильник", "Настольные часы с будильником и напоминаниями."},
    {4, "player", "Аудиоплеер Мелодия", "Проигрыватель звуковых файлов со списками воспроизведения и эквалайзером."},
    {4, "photo", "Фотоальбом", "Просмотр, поворот и сортировка фотографий по датам съёмки."},
    {4, "video", "Видеокаталог", "Каталог домашней видеотеки с обложками и поиском."},
    {4, "recorder", "Запись звука", "Запись с микрофона и простое редактирование звука."},
    {4, "slides", "Слайд-шоу", "Слайд-шоу из фотографий с переходами и музыкой."},
    {4, "karaoke", "Караоке дома", "Воспроизведение минусовок с бегущим текстом песни."},
    {4, "imgconv", "Конвертер изображений", "Пакетное преобразование и уменьшение изображений."},
    {5, "chat", "Сетевой чат", "Обмен сообщениями в локальной сети без сервера."},
    {5, "monitor", "Монитор сети", "Проверка доступности компьютеров и серверов с журналом событий."},
    {5, "download", "Загрузчик файлов", "Докачка файлов в несколько потоков после обрыва связи."},
    {5, "mailcheck", "Почтовый оповещатель", "Проверка почтовых ящиков и уведомление о новых письмах."},
    {5, "traffic", "Учёт трафика", "Подсчёт входящего и исходящего трафика по пользователям."},
    {5, "remote", "Удалённый помощник", "Просмотр рабочего стола коллеги по локальной сети."},
    {5, "bridge", "Файловый мост", "Обмен файлами между компьютерами через FTP-сервер."},
    {6, "library", "Библиотека", "Учёт книжного фонда, читателей и выдачи книг."},
    {6, "contacts", "Записная книжка", "Контакты, дни рождения и напоминания о встречах."},
    {6, "clinic", "Регистратура поликлиники", "Запись пациентов на приём по расписанию врачей."},
    {6, "autoservice", "Автосервис", "Заказ-наряды, учёт работ и запчастей автосервиса."},
    {6, "hotel", "Гостиница", "Бронирование номеров и расчёт проживания гостей."},
    {6, "hr", "Отдел кадров", "Личные карточки сотрудников, приказы и графики отпусков."},
    {6, "collector", "Коллекционер", "Каталог коллекции монет и марок с фотографиями."},
    {6, "reports", "Конструктор отчётов", "Построение отчётов по таблицам базы данных без программирования."},
    {7, "typing", "Клавиатурный тренажёр", "Обучение слепой десятипальцевой печати с упражнениями."},
    {7, "multiply", "Таблица умножения", "Тренажёр для младших школьников с выставлением оценок."},
    {7, "journal", "Электронный журнал", "Оценки, посещаемость и расписание уроков класса."},
    {7, "tests", "Тестирование знаний", "Составление тестов и проверка знаний с протоколом результатов."},
    {7, "words", "Английские слова", "Заучивание иностранных слов по карточкам."},
    {7, "geometry", "Геометрия 7-9", "Интерактивные чертежи к задачам по геометрии."},
    {7, "elements", "Химические элементы", "Периодическая таблица со свойствами элементов."},
    {7, "timetable", "Расписание занятий", "Составление школьного расписания без накладок."},
};

// Sentences added after a project's own one, so descriptions read like real ones.
const char *const MoreSentences[] = {
    "Работает в однопользовательском и сетевом режимах.",
    "Данные можно выгрузить в текстовый файл с разделителями.",
    "Предусмотрена печать отчётов и экспорт в HTML.",
    "Размеры и положение окон запоминаются между запусками.",
    "Поддерживается резервное копирование данных.",
    "Программа не требует установки и запускается с флешки.",
    "Есть подробная справка на русском языке.",
    "Доступ к функциям разграничен паролями пользователей.",
    "Исходные тексты снабжены подробными комментариями.",
    "Проект сдан заказчику и находится на сопровождении.",
    "Выпущено несколько обновлений по замечаниям пользователей.",
    "Работает даже на слабых компьютерах.",
    "Все действия доступны с клавиатуры.",
    "Поставляется с демонстрационными данными.",
};

struct SaleKind {
    const char *comment;
    int percent; // of the project's price
};

const SaleKind SaleKinds[] = {
    {"", 100},
    {"", 100},
    {"", 100},
    {"Оплата по счёту", 100},
    {"Оплата наличными", 100},
    {"Продажа через сайт", 100},
    {"Скидка постоянному клиенту 10%", 90},
    {"Скидка 15% по акции", 85},
    {"Лицензия на 3 рабочих места", 300},
    {"Обновление версии", 50},
    {"Предоплата 50%", 50},
    {"Доработка по заявке заказчика", 150},
};

const QDate LastDay(2013, 12, 31);

// Money is stored as a count of ten-thousandths of a rouble.
const qint64 UnitsPerKopeck = 100;
const qint64 UnitsPerRouble = 10000;

template <typename T, std::size_t N> constexpr int count(const T (&)[N]) { return int(N); }

class Generator
{
public:
    explicit Generator(const Database &db) : m_db(db) {}

    void fill()
    {
        const QList<QVariant> categories = insertNames("category", "catName", Categories);
        const QList<QVariant> years = insertNames("years", "name", Years);
        const QList<QVariant> ides = insertNames("ide", "ide", Ides);
        for (int i = 0; i < count(Projects); ++i) {
            const Row project = makeProject(Projects[i], i, categories, years, ides);
            const QVariant id = insert("projects", project);
            insertSales(id, project);
        }
    }

private:
    using Row = QList<std::pair<QString, QVariant>>;

    int between(int low, int high) { return low + int(m_rng.bounded(high - low + 1)); }
    bool chance(int percent) { return int(m_rng.bounded(100)) < percent; }
    static QVariant iso(const QDate &date) { return date.toString(Qt::ISODate); }
    static QVariant value(const Row &row, const QString &column)
    {
        for (const auto &[name, v] : row)
            if (name == column)
                return v;
        return {};
    }

    QVariant insert(const QString &table, const Row &row)
    {
        QStringList columns, holders;
        for (const auto &column : row) {
            columns << column.first;
            holders << QLatin1Char(':') + column.first;
        }
        // The engine reads back the key the database gave the row.
        const Engine &engine = m_db.engine();
        const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                .arg(table, columns.join(QLatin1String(", ")), holders.join(QLatin1String(", ")));
        QSqlQuery q = m_db.prepare(engine.returningKey(sql, engine.rowIdColumn(m_db, table)));
        for (const auto &[column, v] : row)
            q.bindValue(QLatin1Char(':') + column, v);
        if (!q.exec())
            throw DataError(table + QLatin1String(": ") + q.lastError().text());
        return engine.insertedKey(q);
    }

    template <typename T, std::size_t N>
    QList<QVariant> insertNames(const QString &table, const QString &column, const T (&items)[N])
    {
        QList<QVariant> ids;
        for (const auto &item : items)
            ids << insert(table, {{column, QString::fromUtf8(nameOf(item))}});
        return ids;
    }
    static const char *nameOf(const char *name) { return name; }
    static const char *nameOf(const DemoCategory &c) { return c.name; }

    template <typename T> T pick(const QList<T> &list) { return list.at(between(0, int(list.size()) - 1)); }

    QString description(const DemoProject &p)
    {
        QStringList sentences{QString::fromUtf8(p.summary)};
        const int extra = between(1, 3);
        while (sentences.size() <= extra) {
            const QString s = QString::fromUtf8(MoreSentences[between(0, count(MoreSentences) - 1)]);
            if (!sentences.contains(s))
                sentences << s;
        }
        return sentences.join(QLatin1Char(' '));
    }

    qint64 price()
    {
        const qint64 roubles = between(3, 250) * 100 - (chance(40) ? 1 : 0);
        const qint64 kopecks = chance(35) ? between(1, 99) : 0;
        return roubles * UnitsPerRouble + kopecks * UnitsPerKopeck;
    }

    Row makeProject(const DemoProject &p, int index, const QList<QVariant> &categories,
                    const QList<QVariant> &years, const QList<QVariant> &ides)
    {
        const DemoCategory &category = Categories[p.category];
        const int year = between(0, count(Years) - 1);
        const int month = between(1, 12);
        const QDate begin(2005 + year, month, between(1, 28));
        QDate end;
        if (chance(80))
            end = qMin(LastDay, begin.addDays(between(30, 420)));
        QDate update;
        if (chance(75))
            update = qMin(LastDay, (end.isValid() ? end : begin).addDays(between(0, 300)));

        const QString name = QString::fromUtf8(p.name);
        const QString catName = QString::fromUtf8(category.name);
        Row row{
            {"cat_id", categories.at(p.category)},
            {"year_id", years.at(year)},
            {"version_id", chance(90) ? pick(ides) : QVariant()},
            {"tovName", name},
            {"price", price()},
            {"description", description(p)},
            {"project_begin", iso(begin)},
            {"project_end", end.isValid() ? iso(end) : QVariant()},
            {"datetime_update", update.isValid() ? iso(update) : QVariant()},
            {"path_repository", chance(90) ? QVariant(QStringLiteral("trunk/%1/%2")
                                                         .arg(QLatin1String(category.folder),
                                                              QLatin1String(p.folder)))
                                           : QVariant()},
            {"isExports", chance(75) ? 1 : 0},
            {"isExportsDesc", chance(50) ? 1 : 0},
        };
        if (index % 3 == 0)
            row.append({"screenshots", demoScreenshot(name, catName, QColor(category.tint), m_rng)});
        return row;
    }

    void insertSales(const QVariant &projectId, const Row &project)
    {
        const qint64 price = value(project, "price").toLongLong();
        const QVariant end = value(project, "project_end");
        const QDate first = QDate::fromString(
            (end.isValid() ? end : value(project, "project_begin")).toString(), Qt::ISODate);
        // Entered as they happened, so sale numbers follow the dates. They
        // spread over the two years after the project, up to the last day,
        // rather than piling up on it.
        QList<QDate> dates(between(0, 10));
        for (QDate &date : dates)
            date = first.addDays(between(0, int(qMin<qint64>(700, first.daysTo(LastDay)))));
        std::sort(dates.begin(), dates.end());
        for (const QDate &date : dates) {
            const SaleKind &kind = SaleKinds[between(0, count(SaleKinds) - 1)];
            // Whole kopecks, as a person would type the sum.
            const qint64 summ = price * kind.percent / 100 / UnitsPerKopeck * UnitsPerKopeck;
            insert("orders", {{"project_id", projectId},
                              {"date_orders", iso(date)},
                              {"summ", summ},
                              {"comments", *kind.comment ? QVariant(QString::fromUtf8(kind.comment))
                                                         : QVariant()}});
        }
    }

    const Database &m_db;
    QRandomGenerator m_rng{42};
};

} // namespace

void fillDemoData(const QString &path)
{
    Database db(QStringLiteral("projectsales-newdb-demo"));
    db.open(path);
    // A new catalogue's contents, not changes to it.
    Trail::withoutHistory(db, [&] { Generator(db).fill(); });
}
