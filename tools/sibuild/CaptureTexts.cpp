#include "sibuild/CaptureTexts.h"

#include <stdexcept>

namespace sibuild {

namespace {

// Genres (EN 300 468 content nibbles).
constexpr uint8_t kFilm = 0x10, kThriller = 0x11, kComedy = 0x14, kNews = 0x20, kWeather = 0x21,
                  kMagazine = 0x22, kDocumentary = 0x23, kShow = 0x30, kQuiz = 0x31,
                  kFootball = 0x43, kChildren = 0x50, kCartoon = 0x55, kMusic = 0x60,
                  kClassical = 0x64, kArts = 0x70, kSociety = 0x80, kNature = 0x91, kLeisure = 0xA0,
                  kCooking = 0xA5;

const LanguageTexts kFrench{
    "fre",
    TextScript::Latin1252,
    {{"Télé Lumière", ""}, {"Canal Étoile", ""}, {"Cinéma Rétro", ""}, {"Société 24", ""}},
    {{"Découverte HD", ""}, {"Lumière Cinéma HD", ""}},
    {{"Radio Mélodie", ""}, {"Fréquence Côte", ""}},
    {{"Le Journal", kNews, 15, 30, false},
     {"Météo", kWeather, 5, 10, false},
     {"Cinéma : Les Étoiles du Sud", kFilm, 90, 125, true},
     {"Enquête & Vérité", kThriller, 45, 55, false},
     {"Le Grand Débat", kMagazine, 50, 90, false},
     {"Nature Sauvage", kNature, 45, 60, false},
     {"Le Quiz des Curieux", kQuiz, 30, 45, false},
     {"Les Petits Héros", kCartoon, 10, 25, false},
     {"Football : Ligue des Régions", kFootball, 105, 120, false},
     {"Cuisine d'Été", kCooking, 25, 30, false},
     {"Comédie : Le Dîner Raté", kComedy, 85, 100, true}},
    {{"Matinale Mélodie", kMusic, 120, 180, false},
     {"Les Classiques de Minuit", kClassical, 60, 120, false},
     {"Le Journal de 13 h", kNews, 10, 20, false}},
    {"Épisode 12 : Le Secret du Phare", "Saison 3, épisode 4", "Rediffusion", "En direct",
     "Présenté par Hélène Duval", "Spécial été", "", "Épisode 7 : Retour à Évian"},
    {"Une soirée pleine de surprises attend les téléspectateurs.",
     "Les invités débattent des grandes questions de société.",
     "Tourné dans les Alpes, ce récit suit une famille pendant un hiver difficile.",
     "Les journalistes reviennent sur les événements marquants de la journée.",
     "À découvrir : des paysages à couper le souffle et des animaux rares.",
     "Un classique du genre, restauré et présenté en version intégrale.",
     "Les prévisions détaillées région par région, avec les températures.",
     "Entre rires et émotions, une histoire qui parle à toutes les générations."},
    "Réalisation",
    {"Amélie Fontaine", "Jérôme Lacroix", "Noël Bérard"},
    "Nouvel horaire, sous réserve de modification"};

const LanguageTexts kGerman{
    "ger",
    TextScript::Latin1252,
    {{"Nordlicht TV", ""}, {"Fußball Plus", ""}, {"Bühne Drei", ""}},
    {{"Bergwelt HD", ""}, {"Grüne Welle HD", ""}},
    {{"Klassik Jäger", ""}, {"Radio Südwind", ""}},
    {{"Nachrichten", kNews, 15, 30, false},
     {"Wetter", kWeather, 5, 10, false},
     {"Spielfilm: Die Brücke über die Weißach", kFilm, 90, 120, true},
     {"Kommissare an der Küste", kThriller, 85, 90, false},
     {"Länder, Menschen & Abenteuer", kDocumentary, 45, 60, false},
     {"Fußball: Pokal der Städte", kFootball, 105, 120, false},
     {"Die Quizshow am Abend", kQuiz, 30, 45, false},
     {"Kinderzeit", kChildren, 15, 25, false},
     {"Kochen mit Jörg", kCooking, 25, 30, false},
     {"Kultur am Abend", kArts, 30, 45, false}},
    {{"Guten Morgen Südwind", kMusic, 120, 180, false},
     {"Oper am Sonntag", kClassical, 120, 180, false},
     {"Nachrichten zur vollen Stunde", kNews, 5, 10, false}},
    {"Folge 8: Der große Sturm", "Staffel 2, Folge 11", "Wiederholung", "Live",
     "Moderation: Jürgen Maaß", "", "Folge 3: Spuren im Schnee"},
    {"Ein spannender Abend mit überraschenden Wendungen.",
     "Die Reportage begleitet Förster in den Wäldern Bayerns.",
     "Gäste aus Politik und Gesellschaft diskutieren über die Zukunft der Städte.",
     "Zwei Kommissare ermitteln in einem rätselhaften Fall an der Küste.",
     "Die Höhepunkte des Spieltags mit allen Toren und Stimmen.",
     "Ein Meisterwerk des deutschen Films, liebevoll restauriert.",
     "Bilder von Gletschern, Seen und Almen im Wechsel der Jahreszeiten."},
    "Regie",
    {"Jörg Müller", "Käthe Schäfer", "Lukas Groß"},
    "Geänderter Sendeablauf"};

const LanguageTexts kSpanish{
    "spa",
    TextScript::Latin1252,
    {{"Música Sur", ""}, {"Noticias Año", ""}, {"Canal Península", ""}},
    {{"Cine Señal HD", ""}},
    {{"Radio Señal", ""}, {"Onda Alhambra", ""}},
    {{"Noticias de la Tarde", kNews, 15, 30, false},
     {"El Tiempo", kWeather, 5, 10, false},
     {"Cine: La Canción del Río", kFilm, 90, 120, true},
     {"Fútbol: Liga de Campeones del Sur", kFootball, 105, 120, false},
     {"Cocina con Begoña", kCooking, 25, 30, false},
     {"Documental: Montañas de León", kDocumentary, 45, 60, false},
     {"Concurso ¿Quién sabe más?", kQuiz, 30, 45, false},
     {"Dibujos Animados", kCartoon, 10, 25, false},
     {"Comedia: Tres Bodas y un Cumpleaños", kComedy, 85, 100, true}},
    {{"Música en la Mañana", kMusic, 120, 180, false}, {"Noche Flamenca", kMusic, 60, 120, false}},
    {"Episodio 5: La Última Canción", "Temporada 1, episodio 9", "Reposición", "En directo",
     "Presentado por Begoña Núñez", ""},
    {"Una noche de emociones con los mejores artistas del año.",
     "El documental recorre los pueblos más pequeños de la península.",
     "Los expertos analizan la actualidad económica y política.",
     "Una familia de Málaga descubre un secreto guardado durante años.",
     "Resumen de la jornada con goles, entrevistas y polémica.",
     "La previsión del tiempo para mañana, por comunidades."},
    "Dirección",
    {"Begoña Núñez", "Íñigo Peña", "Ramón Muñoz"},
    "Programación modificada"};

const LanguageTexts kEnglish{
    "eng",
    TextScript::Latin1252,
    {{"Harbour TV", ""}, {"Café Crème Channel", ""}, {"Northern Lights", ""}},
    {{"Wildlife HD", ""}},
    {{"Radio Riverside", ""}},
    {{"News at Six", kNews, 15, 30, false},
     {"Weather", kWeather, 5, 10, false},
     {"Film: The Lighthouse Keeper", kFilm, 90, 120, true},
     {"Detectives & Daughters", kThriller, 45, 60, false},
     {"Railway Routes", kDocumentary, 30, 60, false},
     {"Quiz Night", kQuiz, 30, 45, false},
     {"Cartoon Corner", kCartoon, 10, 25, false},
     {"Sunday Football Live", kFootball, 105, 120, false},
     {"Garden Life", kLeisure, 25, 30, false},
     {"Late Evening Talk", kShow, 45, 60, false}},
    {{"Breakfast Sounds", kMusic, 120, 180, false},
     {"Evening Concert", kClassical, 90, 120, false}},
    {"Episode 4: The Storm", "Series 2, episode 6", "Repeat", "Live", "Presented by Chloë Hart",
     ""},
    {"An evening full of surprises awaits the studio audience.",
     "The team travels across the highlands in search of rare birds.",
     "Guests discuss the week's events with the usual wit.",
     "A small-town detective uncovers a decades-old secret.",
     "Highlights of the day's matches with goals and interviews.",
     "A restored classic, shown in its original cut."},
    "Director",
    {"Chloë Hart", "Seán O'Brien", "Zoë Miller"},
    "Schedule changed"};

const LanguageTexts kRussian{
    "rus",
    TextScript::Cyrillic8859_5,
    {{"Kanal Sever", "Канал Север"}, {"Novosti Dnya", "Новости Дня"}, {"Skazka TV", "Сказка ТВ"}},
    {{"Kino Klub HD", "Кино Клуб HD"}},
    {{"Radio Volna", "Радио Волна"}, {"Radio Yug", "Радио Юг"}},
    {{"Новости", kNews, 15, 30, false},
     {"Погода", kWeather, 5, 10, false},
     {"Художественный фильм \"Зимняя дорога\"", kFilm, 90, 120, true},
     {"Тайны старого города", kThriller, 45, 60, false},
     {"Дороги Севера", kDocumentary, 45, 60, false},
     {"Футбол. Кубок городов", kFootball, 105, 120, false},
     {"Вечерняя викторина", kQuiz, 45, 60, false},
     {"Мультфильмы", kCartoon, 10, 25, false},
     {"Кулинарный поединок", kCooking, 25, 30, false},
     {"Ток-шоу \"Разговор по душам\"", kShow, 45, 60, false}},
    {{"Утренний эфир", kMusic, 120, 180, false}, {"Вечер классики", kClassical, 60, 120, false}},
    {"Серия 5", "Сезон 2, серия 7", "Повтор", "Прямой эфир", "Ведущий: Алексей Ёлкин", ""},
    {"Вечер, полный неожиданных встреч и открытий.",
     "Гости студии обсуждают главные события недели.",
     "Экспедиция отправляется на север, к берегам Белого моря.",
     "Следователь распутывает сложное дело в маленьком городе.",
     "Лучшие моменты игрового дня: голы, интервью, комментарии.",
     "Классика отечественного кино в отреставрированной версии."},
    "Режиссёр",
    {"Алексей Ёлкин", "Ольга Зайцева", "Пётр Сомов"},
    "Изменения в программе"};

const LanguageTexts kArabic{
    "ara",
    TextScript::Arabic8859_6,
    {{"Qanat al-Qamar", "قناة القمر"},
     {"Akhbar al-Madina", "أخبار المدينة"},
     {"Qanat al-Usra", "قناة الأسرة"}},
    {{"Cinema ash-Sharq HD", "سينما الشرق HD"}},
    {{"Radio al-Waha", "راديو الواحة"}},
    {{"نشرة الأخبار", kNews, 15, 30, false},
     {"الطقس", kWeather, 5, 10, false},
     {"فيلم: طريق الصحراء", kFilm, 90, 120, true},
     {"برنامج وثائقي: أسرار البحر", kDocumentary, 45, 60, false},
     {"كرة القدم: كأس المدن", kFootball, 105, 120, false},
     {"مسلسل: بيت العائلة", kSociety, 40, 50, false},
     {"رسوم متحركة", kCartoon, 10, 25, false},
     {"مطبخ الأسرة", kCooking, 25, 30, false}},
    {{"صباح الخير", kMusic, 120, 180, false}, {"أمسية موسيقية", kMusic, 60, 120, false}},
    {"الحلقة 12", "الموسم 2، الحلقة 3", "إعادة", "بث مباشر", ""},
    {"سهرة مليئة بالمفاجآت مع نخبة من الضيوف.", "يناقش الضيوف أهم أحداث الأسبوع في المنطقة.",
     "رحلة إلى أعماق البحر الأحمر لاكتشاف كائنات نادرة.",
     "قصة عائلة تواجه تحديات الحياة في المدينة.", "ملخص مباريات اليوم مع الأهداف والتحليل.",
     "نشرة مفصلة عن حالة الطقس في جميع المدن."},
    "إخراج",
    {"سامي الخطيب", "ليلى منصور", "كريم حداد"},
    "تعديل في البرنامج"};

const LanguageTexts kHebrew{
    "heb",
    TextScript::Hebrew8859_8,
    {{"Arutz HaYam", "ערוץ הים"}, {"Hadashot HaBoker", "חדשות הבוקר"}, {"Arutz HaGan", "ערוץ הגן"}},
    {{"Kolnoa HaBayit HD", "קולנוע הבית HD"}},
    {{"Radio Galim", "רדיו גלים"}},
    {{"מבזק חדשות", kNews, 10, 30, false},
     {"מזג האוויר", kWeather, 5, 10, false},
     {"סרט: הדרך לים", kFilm, 90, 120, true},
     {"סדרה תיעודית: נופי הגליל", kDocumentary, 45, 60, false},
     {"כדורגל: גביע הערים", kFootball, 105, 120, false},
     {"חידון הערב", kQuiz, 30, 45, false},
     {"סרטים מצוירים", kCartoon, 10, 25, false},
     {"מטבח ביתי", kCooking, 25, 30, false}},
    {{"בוקר של מוזיקה", kMusic, 120, 180, false}, {"קונצרט ערב", kClassical, 60, 120, false}},
    {"פרק 6", "עונה 2, פרק 8", "שידור חוזר", "שידור חי", ""},
    {"ערב מלא הפתעות עם אורחים מיוחדים.", "האורחים דנים באירועים החשובים של השבוע.",
     "מסע אל הנופים היפים של צפון הארץ.", "משפחה צעירה מגלה סוד ישן בבית הסבים.",
     "תקציר המשחקים עם כל השערים והראיונות.", "תחזית מפורטת לכל אזורי הארץ."},
    "במאי",
    {"דנה לוי", "יוסי כהן", "מיכל ברק"},
    "שינוי בלוח השידורים"};

const std::vector<std::string_view> kDataServiceNames{"Guide Données", "Mise à jour OTA",
                                                      "Météo Interactive", "Portail Accès"};
const std::vector<std::string_view> kProviders{"Astéria Diffusion", "Orbita Média",
                                               "Hélios Broadcast"};

}  // namespace

const LanguageTexts& TextsOf(std::string_view code) {
    for (const LanguageTexts* texts :
         {&kFrench, &kGerman, &kSpanish, &kEnglish, &kRussian, &kArabic, &kHebrew})
        if (texts->code == code)
            return *texts;
    throw std::invalid_argument("no texts for this language");
}

const std::vector<std::string_view>& DataServiceNames() {
    return kDataServiceNames;
}

std::string_view ProviderName(uint32_t index) {
    return kProviders[index % kProviders.size()];
}

}  // namespace sibuild
