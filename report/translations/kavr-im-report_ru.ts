<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>kavr-im-report</name>
    <message>
        <source>%1: %2 of %3</source>
        <translation>%1: %2 из %3</translation>
    </message>
    <message>
        <source>reading protocols</source>
        <translation>чтение протоколов</translation>
    </message>
    <message>
        <source>%1 or %2</source>
        <translation>%1 или %2</translation>
    </message>
    <message>
        <source>Reads every *.IM.txt protocol in RESULT_FOLDER and writes one CSV row per protocol:
code, name, date and time, variant, instruction time, answer time, N[+], N[-],
N[0], Tcp, SD, V, and time, panel, key, picture, answer and mark of each of the
twelve placements.

The CSV is UTF-8 with a byte-order mark. Files that cannot be read are named on
standard error with the line at fault, and skipped. Recovered protocols
(*.IM.recovered.txt, interrupted tests) are read and marked; the group figures
leave them out.

--since, --until, --variant and --code choose the protocols every output covers;
with a date condition, a protocol whose date cannot be read for sure is left out.
--no-names leaves the names out of every output; the codes stay, so codes that
name the subject still do.

Exit status: 0 all protocols read, 1 some files skipped, 2 usage error (also a
missing folder), 3 the report could not be written.</source>
        <translation>Читает все протоколы *.IM.txt из папки ПАПКА и пишет таблицу CSV, по строке
на протокол: код, имя, дата и время, вариант, время изучения инструкции, время
ответа, N[+], N[-], N[0], Tcp, SD, V, а для каждого из двенадцати размещений
фигур — время, панель, ключ, рисунок, ответ и отметка.

CSV записывается в UTF-8 с меткой порядка байтов (BOM). Файлы, которые нельзя
прочитать, называются в стандартном потоке ошибок вместе со строкой, где
ошибка, и пропускаются. Восстановленные протоколы (*.IM.recovered.txt,
прерванные тесты) читаются и отмечаются; в групповые показатели они не входят.

--since, --until, --variant и --code отбирают протоколы для всех выводов; при
условии на дату протокол, дату которого нельзя прочесть наверняка, в отбор
не входит. --no-names убирает имена из всех выводов; коды остаются, так что
код, по которому можно узнать обследуемого, его по-прежнему выдаёт.

Код завершения: 0 — прочитаны все протоколы, 1 — часть файлов пропущена,
2 — ошибка в команде (или нет папки), 3 — отчёт не удалось записать.</translation>
    </message>
    <message>
        <source>RESULT_FOLDER</source>
        <translation>ПАПКА</translation>
    </message>
    <message>
        <source>The folder of protocols (default: Result beside this program).</source>
        <translation>Папка протоколов (по умолчанию Result рядом с этой программой).</translation>
    </message>
    <message>
        <source>[RESULT_FOLDER]</source>
        <translation>[ПАПКА]</translation>
    </message>
    <message>
        <source>Write the CSV to &lt;file&gt; (default: standard output).</source>
        <translation>Записать CSV в файл &lt;файл&gt; (по умолчанию — в стандартный вывод).</translation>
    </message>
    <message>
        <source>file</source>
        <translation>файл</translation>
    </message>
    <message>
        <source>Also write an HTML page of the group to &lt;file&gt;: the group figures with heat maps, and all subjects with a chart of their times.</source>
        <translation>Также записать в файл &lt;файл&gt; HTML-страницу группы: групповые показатели с тепловыми картами и всех обследуемых с графиком их времени.</translation>
    </message>
    <message>
        <source>Write one page per protocol into &lt;folder&gt; (made when missing), named after the protocol file: the boards as shown and as left, the scores and the times; one A4 sheet each when printed.</source>
        <translation>Записать по странице на каждый протокол в папку &lt;папка&gt; (создаётся, если её нет), с именем по файлу протокола: доски, какими их показали и какими оставили, оценки и время; при печати — по листу A4 на страницу.</translation>
    </message>
    <message>
        <source>folder</source>
        <translation>папка</translation>
    </message>
    <message>
        <source>Also write one CSV row per placement record (twelve per protocol) to &lt;file&gt;.</source>
        <translation>Также записать в файл &lt;файл&gt; CSV по строке на каждое размещение фигуры (двенадцать на протокол).</translation>
    </message>
    <message>
        <source>Also write the group figures to &lt;file&gt; (CSV): what was included, per variant the scores&apos; statistics, per panel and per figure the share correct and the times, each subject&apos;s z-scores.</source>
        <translation>Также записать групповые показатели в файл &lt;файл&gt; (CSV): что вошло в отбор, по каждому варианту — статистики оценок, по каждой панели и каждой фигуре — доля верных ответов и время, z-оценки каждого обследуемого.</translation>
    </message>
    <message>
        <source>Only tests set up on &lt;date&gt; or later (2026-03-01 or 01.03.2026).</source>
        <translation>Только тесты, проведённые &lt;дата&gt; или позже (2026-03-01 или 01.03.2026).</translation>
    </message>
    <message>
        <source>date</source>
        <translation>дата</translation>
    </message>
    <message>
        <source>Only tests set up on &lt;date&gt; or earlier.</source>
        <translation>Только тесты, проведённые &lt;дата&gt; или раньше.</translation>
    </message>
    <message>
        <source>Only variant %1.</source>
        <translation>Только вариант %1.</translation>
    </message>
    <message>
        <source>Only codes matching &lt;pattern&gt; (* any text, ? one character, case ignored); may be given more than once.</source>
        <translation>Только коды, подходящие под &lt;шаблон&gt; (* — любой текст, ? — один символ, заглавные и строчные буквы не различаются); можно указать несколько раз.</translation>
    </message>
    <message>
        <source>pattern</source>
        <translation>шаблон</translation>
    </message>
    <message>
        <source>Leave the subjects&apos; names out of every output (codes only).</source>
        <translation>Не включать имена обследуемых ни в один вывод (только коды).</translation>
    </message>
    <message>
        <source>Field separator: one character, or tab. Default &apos;;&apos; where the locale&apos;s decimal mark is &apos;,&apos;, else &apos;,&apos;.</source>
        <translation>Разделитель полей: один символ или tab. По умолчанию &apos;;&apos;, если в региональных настройках десятичный знак &apos;,&apos;, иначе &apos;,&apos;.</translation>
    </message>
    <message>
        <source>c</source>
        <translation>символ</translation>
    </message>
    <message>
        <source>Decimal mark. Default the locale&apos;s (LC_NUMERIC).</source>
        <translation>Десятичный знак. По умолчанию — из региональных настроек (LC_NUMERIC).</translation>
    </message>
    <message>
        <source>Show this text.</source>
        <translation>Показать эту справку.</translation>
    </message>
    <message>
        <source>Show the version.</source>
        <translation>Показать версию.</translation>
    </message>
    <message>
        <source>--%1 given twice</source>
        <translation>--%1 указан дважды</translation>
    </message>
    <message>
        <source>--%1 needs a value</source>
        <translation>для --%1 нужно значение</translation>
    </message>
    <message>
        <source>--%1 takes a date as 2026-03-01 or 01.03.2026, not %2</source>
        <translation>--%1 принимает дату вида 2026-03-01 или 01.03.2026, а не %2</translation>
    </message>
    <message>
        <source>--since is after --until</source>
        <translation>дата --since позже даты --until</translation>
    </message>
    <message>
        <source>--variant takes %1, not %2</source>
        <translation>--variant принимает %1, а не %2</translation>
    </message>
    <message>
        <source>--code needs a value</source>
        <translation>для --code нужно значение</translation>
    </message>
    <message>
        <source>one folder only, not %1</source>
        <translation>нужна одна папка, а не %1</translation>
    </message>
    <message>
        <source>--separator takes one character (or tab), not %1</source>
        <translation>--separator принимает один символ (или tab), а не %1</translation>
    </message>
    <message>
        <source>--decimal takes one character other than a digit or a sign, not %1</source>
        <translation>--decimal принимает один символ, кроме цифры и знака, а не %1</translation>
    </message>
    <message>
        <source>the separator and the decimal mark must differ</source>
        <translation>разделитель и десятичный знак должны различаться</translation>
    </message>
    <message>
        <source>the output files must differ: %1 is named twice</source>
        <translation>выходные файлы должны различаться: %1 указан дважды</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>не удалось записать %1: %2</translation>
    </message>
    <message>
        <source>cannot write the CSV to standard output</source>
        <translation>не удалось записать CSV в стандартный вывод</translation>
    </message>
    <message>
        <source>cannot make the folder %1</source>
        <translation>не удалось создать папку %1</translation>
    </message>
    <message>
        <source>writing pages</source>
        <translation>запись страниц</translation>
    </message>
    <message>
        <source>
Try &apos;kavr-im-report --help&apos;.</source>
        <translation>
Справка: kavr-im-report --help</translation>
    </message>
    <message>
        <source>no folder %1
Try &apos;kavr-im-report --help&apos;.</source>
        <translation>нет папки %1
Справка: kavr-im-report --help</translation>
    </message>
    <message>
        <source>%1: %2; skipped</source>
        <translation>%1: %2; файл пропущен</translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n protocol files read from %2%3</source>
        <translation>
            <numerusform>прочитано %1 из %n файла протоколов в папке %2%3</numerusform>
            <numerusform>прочитано %1 из %n файлов протоколов в папке %2%3</numerusform>
            <numerusform>прочитано %1 из %n файлов протоколов в папке %2%3</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>, %n skipped</source>
        <translation>
            <numerusform>, %n пропущен</numerusform>
            <numerusform>, %n пропущено</numerusform>
            <numerusform>, %n пропущено</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n of them chosen%1</source>
        <translation>
            <numerusform>из них отобран %n%1</numerusform>
            <numerusform>из них отобрано %n%1</numerusform>
            <numerusform>из них отобрано %n%1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source> (%n left out: no date that can be read for sure)</source>
        <translation>
            <numerusform> (%n без читаемой даты не отобран)</numerusform>
            <numerusform> (%n без читаемой даты не отобраны)</numerusform>
            <numerusform> (%n без читаемой даты не отобрано)</numerusform>
        </translation>
    </message>
    <message>
        <source>Open the report as a window, as when started from the desktop; the folder and the choices given are its first.</source>
        <translation>Открыть отчёт в окне, как при запуске с рабочего стола; указанные папка и условия отбора станут в нём начальными.</translation>
    </message>
    <message>
        <source>the file is empty</source>
        <translation>файл пуст</translation>
    </message>
    <message>
        <source>longer than %1 characters: not a protocol</source>
        <translation>строка длиннее %1 знаков: это не протокол</translation>
    </message>
    <message>
        <source>the file ends inside the title line: it is cut short</source>
        <translation>файл обрывается посреди строки заголовка: протокол неполный</translation>
    </message>
    <message>
        <source>not a KAVR.IM protocol: the title line is missing</source>
        <translation>это не протокол KAVR.IM: нет строки заголовка</translation>
    </message>
    <message>
        <source>instruction time</source>
        <translation>время изучения инструкции</translation>
    </message>
    <message>
        <source>the instruction time line</source>
        <translation>строка времени изучения инструкции</translation>
    </message>
    <message>
        <source>the finish time line</source>
        <translation>строка времени окончания теста</translation>
    </message>
    <message>
        <source>the variant line</source>
        <translation>строка варианта</translation>
    </message>
    <message>
        <source>the line of N[+], N[-] and N[0]</source>
        <translation>строка N[+], N[-] и N[0]</translation>
    </message>
    <message>
        <source>answer time</source>
        <translation>время ответа</translation>
    </message>
    <message>
        <source>the line of Tcp, SD and V</source>
        <translation>строка Tcp, SD и V</translation>
    </message>
    <message>
        <source>the Tcp line</source>
        <translation>строка Tcp</translation>
    </message>
    <message>
        <source>the SD line</source>
        <translation>строка SD</translation>
    </message>
    <message>
        <source>the column titles</source>
        <translation>строка заголовков столбцов</translation>
    </message>
    <message>
        <source>unexpected text after the twelfth row: %1</source>
        <translation>лишний текст после двенадцатой строки размещений: %1</translation>
    </message>
    <message>
        <source>the file ends inside this line: it is cut short (%1)</source>
        <translation>файл обрывается посреди этой строки: протокол неполный (%1)</translation>
    </message>
    <message>
        <source>the file ends here, before %1: it is cut short</source>
        <extracomment>%1 is a line that should follow (&quot;строка …&quot; in Russian).</extracomment>
        <translation>файл обрывается здесь, а дальше должна идти %1: протокол неполный</translation>
    </message>
    <message>
        <source>%1 expected, found %2</source>
        <extracomment>%1 is the line that belongs here (&quot;строка …&quot; in Russian), %2 the file&apos;s text.</extracomment>
        <translation>здесь должна быть %1, а стоит %2</translation>
    </message>
    <message>
        <source>%1 %2 is out of range</source>
        <translation>%1 %2 вне допустимых пределов</translation>
    </message>
    <message>
        <source>the line of code, name and date</source>
        <translation>строка кода, имени и даты</translation>
    </message>
    <message>
        <source>the code line</source>
        <translation>строка кода</translation>
    </message>
    <message>
        <source>the code %1 differs from %2 on the line before</source>
        <translation>код %1 не совпадает с кодом %2 в строке выше</translation>
    </message>
    <message>
        <source>the row of placement %1</source>
        <translation>строка размещения %1</translation>
    </message>
    <message>
        <source>placement number</source>
        <translation>номер размещения</translation>
    </message>
    <message>
        <source>placement number %1 where %2 belongs</source>
        <translation>номер размещения %1 там, где должен быть %2</translation>
    </message>
    <message>
        <source>time</source>
        <translation>время</translation>
    </message>
    <message>
        <source>panel</source>
        <translation>панель</translation>
    </message>
    <message>
        <source>panel 0 is out of range</source>
        <translation>панель 0 вне допустимых пределов</translation>
    </message>
    <message>
        <source>key</source>
        <translation>ключ</translation>
    </message>
    <message>
        <source>picture</source>
        <translation>рисунок</translation>
    </message>
    <message>
        <source>answer</source>
        <translation>ответ</translation>
    </message>
    <message>
        <source>the mark %1 does not agree with panel, key and answer (%2 belongs there)</source>
        <translation>отметка %1 не согласуется с панелью, ключом и ответом (должна быть %2)</translation>
    </message>
    <message>
        <source>N[+] = %1, N[-] = %2, N[0] = %3 do not agree with the rows (%4, %5, %6)</source>
        <translation>N[+] = %1, N[-] = %2, N[0] = %3 не сходятся со строками размещений (по ним %4, %5, %6)</translation>
    </message>
    <message>
        <source>larger than %1 bytes: not a protocol</source>
        <translation>файл больше %1 байт: это не протокол</translation>
    </message>
    <message>
        <source>cannot be read: %1</source>
        <translation>нельзя прочитать: %1</translation>
    </message>
    <message>
        <source>cannot be opened: %1</source>
        <translation>не удалось открыть: %1</translation>
    </message>
    <message>
        <source>Also write the three tables to &lt;file&gt; as one workbook for Excel: a sheet each for the protocols, the placements and the group figures; codes and names as text, figures as numbers, dates as dates.</source>
        <translation>Также записать три таблицы в файл &lt;файл&gt; одной книгой Excel: по листу на протоколы, размещения и групповые показатели; коды и имена — текстом, числа — числами, даты — датами.</translation>
    </message>
    <message>
        <source>more rows than a worksheet holds (%1)</source>
        <translation>строк больше, чем вмещает лист (%1)</translation>
    </message>
    <message>
        <source>no memory for the workbook</source>
        <translation>не хватает памяти для книги</translation>
    </message>
    <message>
        <source>no private temporary folder %1</source>
        <translation>нет личной временной папки %1</translation>
    </message>
</context>
<context>
    <name>kavr::report::ReportWindow</name>
    <message>
        <source>KAVR.IM: results</source>
        <translation>KAVR.IM: результаты</translation>
    </message>
    <message>
        <source>Folder of protocols:</source>
        <translation>Папка протоколов:</translation>
    </message>
    <message>
        <source>Other folder…</source>
        <translation>Другая папка…</translation>
    </message>
    <message>
        <source>Set up from</source>
        <translation>Проведены с</translation>
    </message>
    <message>
        <source>to</source>
        <translation>по</translation>
    </message>
    <message>
        <source>All variants</source>
        <translation>Все варианты</translation>
    </message>
    <message>
        <source>Codes:</source>
        <translation>Коды:</translation>
    </message>
    <message>
        <source>all; e.g. A* 007 (* any text, ? one character)</source>
        <translation>все; например, И* 007 (* — любой текст, ? — один символ)</translation>
    </message>
    <message>
        <source>Without names</source>
        <translation>Без имён</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Файл</translation>
    </message>
    <message>
        <source>Line</source>
        <translation>Строка</translation>
    </message>
    <message>
        <source>Why it was not read</source>
        <translation>Почему не прочитан</translation>
    </message>
    <message>
        <source>Subject&apos;s page</source>
        <translation>Страница обследуемого</translation>
    </message>
    <message>
        <source>Group page</source>
        <translation>Страница группы</translation>
    </message>
    <message>
        <source>Save for Excel…</source>
        <translation>Сохранить для Excel…</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Файл</translation>
    </message>
    <message>
        <source>&amp;Open folder…</source>
        <translation>&amp;Открыть папку…</translation>
    </message>
    <message>
        <source>Save the &amp;table (CSV)…</source>
        <translation>Сохранить &amp;таблицу (CSV)…</translation>
    </message>
    <message>
        <source>Save the &amp;placements (CSV)…</source>
        <translation>Сохранить &amp;размещения (CSV)…</translation>
    </message>
    <message>
        <source>Save the &amp;group figures (CSV)…</source>
        <translation>Сохранить &amp;групповые показатели (CSV)…</translation>
    </message>
    <message>
        <source>Save the subjects&apos; pa&amp;ges…</source>
        <translation>Сохранить &amp;страницы обследуемых…</translation>
    </message>
    <message>
        <source>Save for &amp;Excel…</source>
        <translation>Сохранить для &amp;Excel…</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>В&amp;ыход</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Вид</translation>
    </message>
    <message>
        <source>The &amp;subject&apos;s page</source>
        <translation>Страница &amp;обследуемого</translation>
    </message>
    <message>
        <source>The g&amp;roup&apos;s page</source>
        <translation>Страница &amp;группы</translation>
    </message>
    <message>
        <source>There is no folder %1. Choose the folder of protocols with &quot;Other folder…&quot;.</source>
        <translation>Папки %1 нет. Выберите папку протоколов кнопкой «Другая папка…».</translation>
    </message>
    <message>
        <source>Reading the protocols…</source>
        <translation>Чтение протоколов…</translation>
    </message>
    <message>
        <source>Files that could not be read, left out: %1</source>
        <translation>Не прочитаны и не вошли в отчёт файлы: %1</translation>
    </message>
    <message>
        <source>Protocol files read: %1 of %2</source>
        <translation>Прочитано файлов протоколов: %1 из %2</translation>
    </message>
    <message>
        <source>chosen: %1</source>
        <translation>отобрано: %1</translation>
    </message>
    <message>
        <source>left out, no date that can be read for sure: %1</source>
        <translation>не отобрано без читаемой даты: %1</translation>
    </message>
    <message>
        <source>recovered (interrupted tests), left out of the group figures: %1</source>
        <translation>восстановленных (прерванные тесты), не в групповых показателях: %1</translation>
    </message>
    <message>
        <source>Folder of protocols</source>
        <translation>Папка протоколов</translation>
    </message>
    <message>
        <source>CSV tables (*.csv)</source>
        <translation>Таблицы CSV (*.csv)</translation>
    </message>
    <message>
        <source>Save the table</source>
        <translation>Сохранить таблицу</translation>
    </message>
    <message>
        <source>Save the placements</source>
        <translation>Сохранить размещения</translation>
    </message>
    <message>
        <source>Save the group figures</source>
        <translation>Сохранить групповые показатели</translation>
    </message>
    <message>
        <source>Folder for the subjects&apos; pages</source>
        <translation>Папка для страниц обследуемых</translation>
    </message>
    <message>
        <source>Save for Excel</source>
        <translation>Сохранить для Excel</translation>
    </message>
    <message>
        <source>Excel workbooks (*.xlsx)</source>
        <translation>Книги Excel (*.xlsx)</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>Не удалось записать %1: %2</translation>
    </message>
    <message>
        <source>Writing the pages…</source>
        <translation>Запись страниц…</translation>
    </message>
    <message>
        <source>Cannot make the folder %1</source>
        <translation>Не удалось создать папку %1</translation>
    </message>
    <message>
        <source>Choose a subject in the table first.</source>
        <translation>Сначала выберите обследуемого в таблице.</translation>
    </message>
    <message>
        <source>The subject&apos;s page could not be opened.</source>
        <translation>Страницу обследуемого открыть не удалось.</translation>
    </message>
    <message>
        <source>The group&apos;s page could not be opened.</source>
        <translation>Страницу группы открыть не удалось.</translation>
    </message>
</context>
<context>
    <name>kavr::report::SubjectTableModel</name>
    <message>
        <source>yes</source>
        <translation>да</translation>
    </message>
    <message>
        <source>Code</source>
        <translation>Код</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Имя</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Дата</translation>
    </message>
    <message>
        <source>Variant</source>
        <translation>Вариант</translation>
    </message>
    <message>
        <source>Recovered</source>
        <translation>Восстановлен</translation>
    </message>
    <message>
        <source>Tcp, s</source>
        <translation>Tcp, сек</translation>
    </message>
    <message>
        <source>SD, s</source>
        <translation>SD, сек</translation>
    </message>
    <message>
        <source>Answer time, s</source>
        <translation>T ответа, сек</translation>
    </message>
</context>
</TS>
