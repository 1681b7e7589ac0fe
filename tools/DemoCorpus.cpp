// The texts of the demo notebooks and their layout into pages, the notes file writer and the
// check that reads the written files back through the real reader.

#include "tools/DemoLibrary.h"

#include "common/Error.h"
#include "corpus/Data.h"

#include <QRegularExpression>

namespace demo {
namespace {

// One passage a line: source title | headword | passage | collation note | remark.
// An empty note or remark is filled from the teacher's stock phrases below.
const char *const kLunyu =
    R"(論語·學而|學而時習之|子曰：「學而時習之，不亦說乎？有朋自遠方來，不亦樂乎？人不知而不慍，不亦君子乎？」|「說」，讀為「悅」。|開卷第一章，言學之始終：習而說，朋來而樂，人不知而不慍，德乃成。
論語·學而|巧言令色|子曰：「巧言令色，鮮矣仁！」|「鮮」，少也。|與〈陽貨〉重出，記者兩存之。
論語·學而|吾日三省吾身|曾子曰：「吾日三省吾身：為人謀而不忠乎？與朋友交而不信乎？傳不習乎？」|「三省」，或以為三事，或以為多次。|忠、信、習三者，皆切己之功。
論語·學而|其為人也孝弟|有子曰：「其為人也孝弟，而好犯上者，鮮矣；不好犯上，而好作亂者，未之有也。君子務本，本立而道生。孝弟也者，其為仁之本與！」|「弟」，讀為「悌」。|本立而道生，此句最要。
論語·學而|弟子入則孝|子曰：「弟子入則孝，出則弟，謹而信，汎愛眾，而親仁。行有餘力，則以學文。」|「汎」，廣也。|先行後文，次第分明。
論語·學而|賢賢易色|子夏曰：「賢賢易色；事父母，能竭其力；事君，能致其身；與朋友交，言而有信。雖曰未學，吾必謂之學矣。」|「易」，或訓改易，或訓輕易。|
論語·學而|禮之用，和為貴|有子曰：「禮之用，和為貴。先王之道，斯為美；小大由之。有所不行，知和而和，不以禮節之，亦不可行也。」||
論語·學而|不患人之不己知|子曰：「不患人之不己知，患不知人也。」||
論語·為政|為政以德|子曰：「為政以德，譬如北辰，居其所而眾星共之。」|「共」，讀為「拱」。|
論語·為政|思無邪|子曰：「詩三百，一言以蔽之，曰：『思無邪』。」|語出〈魯頌·駉〉。|
論語·為政|道之以政|子曰：「道之以政，齊之以刑，民免而無恥；道之以德，齊之以禮，有恥且格。」|「道」，讀為「導」。|
論語·為政|吾十有五而志于學|子曰：「吾十有五而志于學，三十而立，四十而不惑，五十而知天命，六十而耳順，七十而從心所欲，不踰矩。」||夫子自述進學次第，學者當以此自考。
論語·為政|溫故而知新|子曰：「溫故而知新，可以為師矣。」||
論語·為政|君子不器|子曰：「君子不器。」||
論語·為政|學而不思則罔|子曰：「學而不思則罔，思而不學則殆。」|「罔」，迷惘無得；「殆」，危而不安。|
論語·為政|知之為知之|子曰：「由！誨女知之乎！知之為知之，不知為不知，是知也。」|「女」，讀為「汝」。|
論語·為政|人而無信|子曰：「人而無信，不知其可也。大車無輗，小車無軏，其何以行之哉？」||
論語·八佾|是可忍也|孔子謂季氏：「八佾舞於庭，是可忍也，孰不可忍也！」||
論語·八佾|人而不仁，如禮何|子曰：「人而不仁，如禮何？人而不仁，如樂何？」||
論語·八佾|繪事後素|子夏問曰：「『巧笑倩兮，美目盼兮，素以為絢兮。』何謂也？」子曰：「繪事後素。」曰：「禮後乎？」||
論語·八佾|祭如在|祭如在，祭神如神在。子曰：「吾不與祭，如不祭。」||
論語·八佾|盡美矣，又盡善也|子謂〈韶〉：「盡美矣，又盡善也。」謂〈武〉：「盡美矣，未盡善也。」||
論語·里仁|里仁為美|子曰：「里仁為美。擇不處仁，焉得知？」|「知」，讀為「智」。|
論語·里仁|朝聞道|子曰：「朝聞道，夕死可矣。」||
論語·里仁|君子喻於義|子曰：「君子喻於義，小人喻於利。」||
論語·里仁|見賢思齊|子曰：「見賢思齊焉，見不賢而內自省也。」||
論語·里仁|吾道一以貫之|子曰：「參乎！吾道一以貫之。」曾子曰：「唯。」子出，門人問曰：「何謂也？」曾子曰：「夫子之道，忠恕而已矣。」||
論語·里仁|德不孤|子曰：「德不孤，必有鄰。」||
論語·公冶長|朽木不可雕也|宰予晝寢。子曰：「朽木不可雕也，糞土之牆不可杇也；於予與何誅？」|「杇」，塗也。|
論語·公冶長|敏而好學，不恥下問|子貢問曰：「孔文子何以謂之文也？」子曰：「敏而好學，不恥下問，是以謂之文也。」||
論語·公冶長|三思而後行|季文子三思而後行。子聞之，曰：「再，斯可矣。」||
論語·雍也|一簞食，一瓢飲|子曰：「賢哉，回也！一簞食，一瓢飲，在陋巷，人不堪其憂，回也不改其樂。賢哉，回也！」||
論語·雍也|文質彬彬|子曰：「質勝文則野，文勝質則史。文質彬彬，然後君子。」||
論語·雍也|知之者不如好之者|子曰：「知之者不如好之者，好之者不如樂之者。」||
論語·雍也|知者樂水|子曰：「知者樂水，仁者樂山。知者動，仁者靜。知者樂，仁者壽。」|「樂水」之「樂」，舊讀為「要」，喜好也。|
論語·述而|述而不作|子曰：「述而不作，信而好古，竊比於我老彭。」||
論語·述而|默而識之|子曰：「默而識之，學而不厭，誨人不倦，何有於我哉？」|「識」，讀為「誌」，記也。|
論語·述而|志於道|子曰：「志於道，據於德，依於仁，游於藝。」||
論語·述而|不憤不啟|子曰：「不憤不啟，不悱不發。舉一隅不以三隅反，則不復也。」||
論語·述而|三人行|子曰：「三人行，必有我師焉。擇其善者而從之，其不善者而改之。」||
論語·述而|子不語怪力亂神|子不語怪、力、亂、神。||
論語·述而|君子坦蕩蕩|子曰：「君子坦蕩蕩，小人長戚戚。」||
論語·泰伯|士不可以不弘毅|曾子曰：「士不可以不弘毅，任重而道遠。仁以為己任，不亦重乎？死而後已，不亦遠乎？」||
論語·泰伯|不在其位|子曰：「不在其位，不謀其政。」||
論語·子罕|逝者如斯夫|子在川上曰：「逝者如斯夫！不舍晝夜。」|「舍」，讀上聲，止也。|
論語·子罕|歲寒|子曰：「歲寒，然後知松柏之後彫也。」||
論語·子罕|知者不惑|子曰：「知者不惑，仁者不憂，勇者不懼。」||
論語·子罕|三軍可奪帥也|子曰：「三軍可奪帥也，匹夫不可奪志也。」||
論語·顏淵|克己復禮為仁|顏淵問仁。子曰：「克己復禮為仁。一日克己復禮，天下歸仁焉。為仁由己，而由人乎哉？」||
論語·顏淵|己所不欲，勿施於人|仲弓問仁。子曰：「出門如見大賓，使民如承大祭。己所不欲，勿施於人。在邦無怨，在家無怨。」||
論語·顏淵|君君，臣臣，父父，子子|齊景公問政於孔子。孔子對曰：「君君，臣臣，父父，子子。」||
論語·顏淵|君子成人之美|子曰：「君子成人之美，不成人之惡。小人反是。」||
論語·子路|名不正，則言不順|子曰：「名不正，則言不順；言不順，則事不成；事不成，則禮樂不興；禮樂不興，則刑罰不中；刑罰不中，則民無所措手足。」||
論語·子路|欲速則不達|子夏為莒父宰，問政。子曰：「無欲速，無見小利。欲速則不達，見小利則大事不成。」||
論語·子路|君子和而不同|子曰：「君子和而不同，小人同而不和。」||
論語·憲問|古之學者為己|子曰：「古之學者為己，今之學者為人。」||
論語·衛靈公|工欲善其事|子貢問為仁。子曰：「工欲善其事，必先利其器。居是邦也，事其大夫之賢者，友其士之仁者。」||
論語·衛靈公|人無遠慮|子曰：「人無遠慮，必有近憂。」||
論語·衛靈公|有教無類|子曰：「有教無類。」||
論語·季氏|益者三友|孔子曰：「益者三友，損者三友。友直，友諒，友多聞，益矣。友便辟，友善柔，友便佞，損矣。」||
論語·陽貨|性相近也|子曰：「性相近也，習相遠也。」||
論語·子張|博學而篤志|子夏曰：「博學而篤志，切問而近思，仁在其中矣。」||)";

const char *const kMengzi =
    R"(孟子·梁惠王上|何必曰利|孟子見梁惠王。王曰：「叟！不遠千里而來，亦將有以利吾國乎？」孟子對曰：「王何必曰利？亦有仁義而已矣。」||開宗明義，辨義利之分。
孟子·梁惠王上|五十步笑百步|「棄甲曳兵而走，或百步而後止，或五十步而後止。以五十步笑百步，則何如？」曰：「不可，直不百步耳，是亦走也。」||
孟子·梁惠王上|不違農時|「不違農時，穀不可勝食也；數罟不入洿池，魚鱉不可勝食也；斧斤以時入山林，材木不可勝用也。」|「數」，讀為「促」，密也。|
孟子·梁惠王上|老吾老|「老吾老，以及人之老；幼吾幼，以及人之幼：天下可運於掌。」||推恩之說本此。
孟子·梁惠王上|緣木求魚|「以若所為，求若所欲，猶緣木而求魚也。」||
孟子·梁惠王下|獨樂樂|曰：「獨樂樂，與人樂樂，孰樂？」曰：「不若與人。」|上「樂」讀為「洛」。|
孟子·梁惠王下|與民同樂|「今王與百姓同樂，則王矣。」||
孟子·公孫丑上|浩然之氣|「我知言，我善養吾浩然之氣。」「敢問何謂浩然之氣？」曰：「難言也。其為氣也，至大至剛，以直養而無害，則塞于天地之間。」||
孟子·公孫丑上|揠苗助長|「宋人有閔其苗之不長而揠之者，芒芒然歸，謂其人曰：『今日病矣！予助苗長矣！』其子趨而往視之，苗則槁矣。」|「揠」，拔也。|
孟子·公孫丑上|不忍人之心|孟子曰：「人皆有不忍人之心。先王有不忍人之心，斯有不忍人之政矣。」||
孟子·公孫丑上|惻隱之心|「惻隱之心，仁之端也；羞惡之心，義之端也；辭讓之心，禮之端也；是非之心，智之端也。人之有是四端也，猶其有四體也。」||四端之說，孟子性善論之根柢。
孟子·公孫丑下|天時不如地利|孟子曰：「天時不如地利，地利不如人和。」||
孟子·公孫丑下|得道者多助|「得道者多助，失道者寡助。寡助之至，親戚畔之；多助之至，天下順之。」|「畔」，讀為「叛」。|
孟子·滕文公上|勞心者治人|「或勞心，或勞力；勞心者治人，勞力者治於人。」||
孟子·滕文公下|富貴不能淫|「居天下之廣居，立天下之正位，行天下之大道。得志，與民由之；不得志，獨行其道。富貴不能淫，貧賤不能移，威武不能屈，此之謂大丈夫。」||
孟子·滕文公下|予豈好辯哉|公都子曰：「外人皆稱夫子好辯，敢問何也？」孟子曰：「予豈好辯哉？予不得已也。」||
孟子·離婁上|不以規矩|孟子曰：「離婁之明，公輸子之巧，不以規矩，不能成方員。」|「員」，讀為「圓」。|
孟子·離婁上|徒善不足以為政|「徒善不足以為政，徒法不能以自行。」||
孟子·離婁上|自暴自棄|孟子曰：「自暴者，不可與有言也；自棄者，不可與有為也。」||
孟子·離婁上|不孝有三|孟子曰：「不孝有三，無後為大。」||
孟子·離婁下|赤子之心|孟子曰：「大人者，不失其赤子之心者也。」||
孟子·離婁下|君之視臣如手足|孟子告齊宣王曰：「君之視臣如手足，則臣視君如腹心；君之視臣如犬馬，則臣視君如國人；君之視臣如土芥，則臣視君如寇讎。」||
孟子·萬章上|以意逆志|「故說詩者，不以文害辭，不以辭害志；以意逆志，是為得之。」||讀詩之法，當與「知人論世」合看。
孟子·萬章下|知人論世|「頌其詩，讀其書，不知其人，可乎？是以論其世也。是尚友也。」||
孟子·告子上|性猶湍水也|告子曰：「性猶湍水也，決諸東方則東流，決諸西方則西流。」||
孟子·告子上|人性之善也|孟子曰：「人性之善也，猶水之就下也。人無有不善，水無有不下。」||
孟子·告子上|魚我所欲也|孟子曰：「魚，我所欲也；熊掌，亦我所欲也；二者不可得兼，舍魚而取熊掌者也。生，亦我所欲也；義，亦我所欲也；二者不可得兼，舍生而取義者也。」||
孟子·告子上|求其放心|「學問之道無他，求其放心而已矣。」||
孟子·告子上|一暴十寒|「雖有天下易生之物也，一日暴之，十日寒之，未有能生者也。」|「暴」，讀為「曝」。|
孟子·告子下|生於憂患|「然後知生於憂患，而死於安樂也。」||
孟子·告子下|天將降大任|「故天將降大任於是人也，必先苦其心志，勞其筋骨，餓其體膚，空乏其身，行拂亂其所為，所以動心忍性，曾益其所不能。」|「曾」，讀為「增」。|
孟子·盡心上|盡其心者|孟子曰：「盡其心者，知其性也。知其性，則知天矣。」||
孟子·盡心上|萬物皆備於我|孟子曰：「萬物皆備於我矣。反身而誠，樂莫大焉。」||
孟子·盡心上|窮則獨善其身|「窮則獨善其身，達則兼善天下。」||
孟子·盡心上|君子有三樂|孟子曰：「君子有三樂，而王天下不與存焉。父母俱存，兄弟無故，一樂也；仰不愧於天，俯不怍於人，二樂也；得天下英才而教育之，三樂也。」||
孟子·盡心下|盡信書|孟子曰：「盡信書，則不如無書。」||
孟子·盡心下|民為貴|孟子曰：「民為貴，社稷次之，君為輕。」||
孟子·盡心下|養心莫善於寡欲|孟子曰：「養心莫善於寡欲。」||
禮記·大學|明明德|大學之道，在明明德，在親民，在止於至善。|「親」，程子讀為「新」。|三綱領。
禮記·大學|知止而后有定|知止而后有定，定而后能靜，靜而后能安，安而后能慮，慮而后能得。||
禮記·大學|物有本末|物有本末，事有終始。知所先後，則近道矣。||
禮記·大學|格物致知|古之欲明明德於天下者，先治其國。……致知在格物。物格而后知至，知至而后意誠。||八條目之始。
禮記·大學|苟日新|湯之盤銘曰：「苟日新，日日新，又日新。」||
禮記·大學|誠其意|所謂誠其意者，毋自欺也。如惡惡臭，如好好色，此之謂自謙。故君子必慎其獨也。|「謙」，讀為「慊」，足也。|
禮記·大學|心不在焉|心不在焉，視而不見，聽而不聞，食而不知其味。||
禮記·大學|修身齊家|身修而后家齊，家齊而后國治，國治而后天下平。||
禮記·中庸|天命之謂性|天命之謂性，率性之謂道，修道之謂教。||
禮記·中庸|莫見乎隱|莫見乎隱，莫顯乎微，故君子慎其獨也。|「見」，讀為「現」。|
禮記·中庸|致中和|喜怒哀樂之未發，謂之中；發而皆中節，謂之和。……致中和，天地位焉，萬物育焉。||
禮記·中庸|道不遠人|子曰：「道不遠人。人之為道而遠人，不可以為道。」||
禮記·中庸|行遠必自邇|君子之道，辟如行遠必自邇，辟如登高必自卑。|「辟」，讀為「譬」。|
禮記·中庸|博學之|博學之，審問之，慎思之，明辨之，篤行之。||
禮記·中庸|人一能之己百之|人一能之，己百之；人十能之，己千之。果能此道矣，雖愚必明，雖柔必強。||
禮記·中庸|誠者天之道也|誠者，天之道也；誠之者，人之道也。||
禮記·中庸|尊德性而道問學|故君子尊德性而道問學，致廣大而盡精微，極高明而道中庸。||
禮記·中庸|衣錦尚絅|《詩》曰：「衣錦尚絅。」惡其文之著也。故君子之道，闇然而日章。|「著」，今多作「着」；錦衣在裏，絅衣在表，「裏」亦作「裡」。|
禮記·大學|爲人君止於仁|爲人君，止於仁；爲人臣，止於敬；爲人子，止於孝；爲人父，止於慈；與國人交，止於信。|此本「為」皆作「爲」，二字異體；勾選「繁簡異體」檢索，即可互見。|
孟子·告子上|学问之道|学问之道无他，求其放心而已矣。|此條據簡體抄本錄入，與「求其放心」同文；以「學問」檢索並勾選「繁簡異體」，亦可找到。|)";

const char *const kLaoZhuang =
    R"(道德經·第一章|道可道|道可道，非常道；名可名，非常名。無名天地之始，有名萬物之母。|帛書本作「道可道也，非恆道也」，漢人避文帝諱，改「恆」為「常」。|五千言之總綱。
道德經·第二章|有無相生|故有無相生，難易相成，長短相較，高下相傾，音聲相和，前後相隨。|「較」，一本作「形」。|
道德經·第二章|處無為之事|是以聖人處無為之事，行不言之教。||
道德經·第三章|不尚賢|不尚賢，使民不爭；不貴難得之貨，使民不為盜。||
道德經·第四章|和其光，同其塵|挫其銳，解其紛，和其光，同其塵。||
道德經·第五章|天地不仁|天地不仁，以萬物為芻狗；聖人不仁，以百姓為芻狗。||「不仁」非殘忍之謂，無所偏愛也。
道德經·第八章|上善若水|上善若水。水善利萬物而不爭，處眾人之所惡，故幾於道。||
道德經·第九章|功遂身退|金玉滿堂，莫之能守；富貴而驕，自遺其咎。功遂身退，天之道。||
道德經·第十一章|當其無，有器之用|埏埴以為器，當其無，有器之用。……故有之以為利，無之以為用。|「埏」，和也；「埴」，黏土也。|
道德經·第十二章|五色令人目盲|五色令人目盲；五音令人耳聾；五味令人口爽。||
道德經·第十六章|致虛極|致虛極，守靜篤。萬物並作，吾以觀復。||
道德經·第十八章|大道廢，有仁義|大道廢，有仁義；智慧出，有大偽。||
道德經·第二十二章|曲則全|曲則全，枉則直，窪則盈，敝則新，少則得，多則惑。||
道德經·第二十五章|有物混成|有物混成，先天地生。寂兮寥兮，獨立而不改，周行而不殆，可以為天下母。吾不知其名，字之曰道。||
道德經·第二十五章|道法自然|人法地，地法天，天法道，道法自然。||
道德經·第三十三章|知人者智|知人者智，自知者明。勝人者有力，自勝者強。||
道德經·第四十章|反者道之動|反者道之動；弱者道之用。天下萬物生於有，有生於無。||
道德經·第四十一章|大器晚成|大方無隅；大器晚成；大音希聲；大象無形。|帛書乙本作「大器免成」。|
道德經·第四十二章|道生一|道生一，一生二，二生三，三生萬物。萬物負陰而抱陽，沖氣以為和。||
道德經·第四十四章|知足不辱|知足不辱，知止不殆，可以長久。||
道德經·第四十五章|大巧若拙|大直若屈，大巧若拙，大辯若訥。||
道德經·第四十八章|為學日益|為學日益，為道日損。損之又損，以至於無為。||
道德經·第五十八章|禍兮福之所倚|禍兮福之所倚；福兮禍之所伏。孰知其極？||
道德經·第六十章|治大國若烹小鮮|治大國，若烹小鮮。||
道德經·第六十三章|圖難於其易|圖難於其易，為大於其細。天下難事，必作於易；天下大事，必作於細。||
道德經·第六十四章|千里之行，始於足下|合抱之木，生於毫末；九層之臺，起於累土；千里之行，始於足下。||
道德經·第六十七章|我有三寶|我有三寶，持而保之：一曰慈，二曰儉，三曰不敢為天下先。||
道德經·第七十六章|柔弱者生之徒|人之生也柔弱，其死也堅強。……故堅強者死之徒，柔弱者生之徒。||
道德經·第七十八章|天下莫柔弱於水|天下莫柔弱於水，而攻堅強者莫之能勝。||與第八章「上善若水」合看。
道德經·第八十章|小國寡民|小國寡民。……鄰國相望，雞犬之聲相聞，民至老死，不相往來。||
道德經·第八十一章|信言不美|信言不美，美言不信。善者不辯，辯者不善。||
莊子·逍遙遊|北冥有魚|北冥有魚，其名為鯤。鯤之大，不知其幾千里也。化而為鳥，其名為鵬。|「冥」，一本作「溟」。|
莊子·逍遙遊|扶搖而上者九萬里|鵬之徙於南冥也，水擊三千里，摶扶搖而上者九萬里，去以六月息者也。||
莊子·逍遙遊|至人無己|故曰：至人無己，神人無功，聖人無名。||逍遙之旨，盡於此三句。
莊子·逍遙遊|無用之用|惠子謂莊子曰：「吾有大樹，人謂之樗。……」莊子曰：「……不夭斤斧，物無害者，無所可用，安所困苦哉！」||
莊子·齊物論|吾喪我|南郭子綦隱机而坐，仰天而噓，荅焉似喪其耦。……子綦曰：「今者吾喪我，汝知之乎？」|「耦」，一本作「偶」。|
莊子·齊物論|天籟|「女聞人籟而未聞地籟，女聞地籟而未聞天籟夫！」||
莊子·齊物論|方生方死|方生方死，方死方生；方可方不可，方不可方可。||
莊子·齊物論|天地與我並生|天地與我並生，而萬物與我為一。||
莊子·齊物論|莊周夢蝶|昔者莊周夢為胡蝶，栩栩然胡蝶也。……不知周之夢為胡蝶與，胡蝶之夢為周與？此之謂物化。||
莊子·養生主|吾生也有涯|吾生也有涯，而知也無涯。以有涯隨無涯，殆已。||
莊子·養生主|庖丁解牛|庖丁為文惠君解牛，手之所觸，肩之所倚，足之所履，膝之所踦，砉然嚮然，奏刀騞然，莫不中音。||
莊子·養生主|以無厚入有間|彼節者有間，而刀刃者無厚；以無厚入有間，恢恢乎其於遊刃必有餘地矣。||
莊子·人間世|心齋|「若一志，無聽之以耳而聽之以心，無聽之以心而聽之以氣。……虛者，心齋也。」||
莊子·大宗師|相濡以沫|泉涸，魚相與處於陸，相呴以溼，相濡以沫，不如相忘於江湖。||
莊子·大宗師|坐忘|「墮肢體，黜聰明，離形去知，同於大通，此謂坐忘。」||
莊子·應帝王|渾沌|南海之帝為儵，北海之帝為忽，中央之帝為渾沌。……日鑿一竅，七日而渾沌死。||
莊子·秋水|井蛙不可以語於海|北海若曰：「井鼃不可以語於海者，拘於虛也；夏蟲不可以語於冰者，篤於時也。」|「鼃」，同「蛙」。|
莊子·秋水|子非魚|莊子與惠子遊於濠梁之上。……惠子曰：「子非魚，安知魚之樂？」莊子曰：「子非我，安知我不知魚之樂？」||
莊子·知北遊|白駒過隙|人生天地之間，若白駒之過郤，忽然而已。|「郤」，讀為「隙」。|
莊子·外物|得魚忘筌|筌者所以在魚，得魚而忘筌；蹄者所以在兔，得兔而忘蹄；言者所以在意，得意而忘言。||
莊子·天下|一尺之捶|一尺之捶，日取其半，萬世不竭。||)";

const char *const kShijing =
    R"(詩經·周南·關雎|關關雎鳩|關關雎鳩，在河之洲。窈窕淑女，君子好逑。|「逑」，《釋文》作「仇」，匹也。|〈關雎〉樂而不淫，哀而不傷。
詩經·周南·關雎|寤寐求之|參差荇菜，左右流之。窈窕淑女，寤寐求之。求之不得，寤寐思服。悠哉悠哉，輾轉反側。||
詩經·周南·葛覃|葛之覃兮|葛之覃兮，施于中谷，維葉萋萋。黃鳥于飛，集于灌木，其鳴喈喈。||
詩經·周南·卷耳|采采卷耳|采采卷耳，不盈頃筐。嗟我懷人，寘彼周行。||
詩經·周南·桃夭|桃之夭夭|桃之夭夭，灼灼其華。之子于歸，宜其室家。||以桃花起興，喻嫁娶及時。
詩經·周南·漢廣|漢之廣矣|南有喬木，不可休思；漢有游女，不可求思。漢之廣矣，不可泳思；江之永矣，不可方思。|「休思」，《韓詩》作「休息」。|
詩經·周南·芣苢|采采芣苢|采采芣苢，薄言采之。采采芣苢，薄言有之。||
詩經·召南·甘棠|蔽芾甘棠|蔽芾甘棠，勿翦勿伐，召伯所茇。||
詩經·召南·摽有梅|摽有梅|摽有梅，其實七兮。求我庶士，迨其吉兮。|「摽」，落也。|
詩經·邶風·柏舟|我心匪石|我心匪石，不可轉也。我心匪席，不可卷也。||
詩經·邶風·燕燕|燕燕于飛|燕燕于飛，差池其羽。之子于歸，遠送于野。瞻望弗及，泣涕如雨。||
詩經·邶風·擊鼓|執子之手|死生契闊，與子成說。執子之手，與子偕老。||
詩經·邶風·凱風|凱風自南|凱風自南，吹彼棘心。棘心夭夭，母氏劬勞。||
詩經·邶風·靜女|靜女其姝|靜女其姝，俟我於城隅。愛而不見，搔首踟躕。|「愛」，讀為「薆」，隱也。|
詩經·鄘風·相鼠|相鼠有皮|相鼠有皮，人而無儀。人而無儀，不死何為？||
詩經·衛風·淇奧|如切如磋|瞻彼淇奧，綠竹猗猗。有匪君子，如切如磋，如琢如磨。|「匪」，讀為「斐」。|《大學》引此詩以明學與自修。
詩經·衛風·碩人|巧笑倩兮|手如柔荑，膚如凝脂，領如蝤蠐，齒如瓠犀，螓首蛾眉。巧笑倩兮，美目盼兮。||
詩經·衛風·氓|氓之蚩蚩|氓之蚩蚩，抱布貿絲。匪來貿絲，來即我謀。||
詩經·衛風·伯兮|自伯之東|自伯之東，首如飛蓬。豈無膏沐？誰適為容！||
詩經·衛風·木瓜|投我以木瓜|投我以木瓜，報之以瓊琚。匪報也，永以為好也。||
詩經·王風·黍離|彼黍離離|彼黍離離，彼稷之苗。行邁靡靡，中心搖搖。知我者，謂我心憂；不知我者，謂我何求。||
詩經·王風·君子于役|君子于役|君子于役，不知其期，曷至哉？雞棲于塒，日之夕矣，羊牛下來。||
詩經·王風·采葛|一日不見|彼采葛兮，一日不見，如三月兮。||
詩經·鄭風·將仲子|將仲子兮|將仲子兮，無踰我里，無折我樹杞。豈敢愛之？畏我父母。||
詩經·鄭風·子衿|青青子衿|青青子衿，悠悠我心。縱我不往，子寧不嗣音？||
詩經·鄭風·風雨|風雨如晦|風雨如晦，雞鳴不已。既見君子，云胡不喜？||
詩經·鄭風·野有蔓草|有美一人|野有蔓草，零露漙兮。有美一人，清揚婉兮。邂逅相遇，適我願兮。||
詩經·齊風·雞鳴|雞既鳴矣|雞既鳴矣，朝既盈矣。匪雞則鳴，蒼蠅之聲。||
詩經·魏風·伐檀|坎坎伐檀兮|坎坎伐檀兮，寘之河之干兮，河水清且漣猗。不稼不穡，胡取禾三百廛兮？||
詩經·魏風·碩鼠|碩鼠碩鼠|碩鼠碩鼠，無食我黍！三歲貫女，莫我肯顧。逝將去女，適彼樂土。||
詩經·唐風·蟋蟀|蟋蟀在堂|蟋蟀在堂，歲聿其莫。今我不樂，日月其除。|「莫」，讀為「暮」。|
詩經·秦風·蒹葭|蒹葭蒼蒼|蒹葭蒼蒼，白露為霜。所謂伊人，在水一方。溯洄從之，道阻且長；溯游從之，宛在水中央。||
詩經·秦風·無衣|豈曰無衣|豈曰無衣？與子同袍。王于興師，修我戈矛，與子同仇。||
詩經·陳風·月出|月出皎兮|月出皎兮，佼人僚兮。舒窈糾兮，勞心悄兮。||
詩經·豳風·七月|七月流火|七月流火，九月授衣。一之日觱發，二之日栗烈。無衣無褐，何以卒歲？|「火」，大火，心宿也。|
詩經·豳風·東山|我徂東山|我徂東山，慆慆不歸。我來自東，零雨其濛。||
詩經·小雅·鹿鳴|呦呦鹿鳴|呦呦鹿鳴，食野之苹。我有嘉賓，鼓瑟吹笙。||
詩經·小雅·常棣|常棣之華|常棣之華，鄂不韡韡。凡今之人，莫如兄弟。|「鄂不」，讀為「萼柎」。|
詩經·小雅·伐木|嚶其鳴矣|伐木丁丁，鳥鳴嚶嚶。出自幽谷，遷于喬木。嚶其鳴矣，求其友聲。||
詩經·小雅·天保|如月之恆|如月之恆，如日之升。如南山之壽，不騫不崩。|「恆」，讀為「緪」，弦也。|
詩經·小雅·采薇|昔我往矣|昔我往矣，楊柳依依。今我來思，雨雪霏霏。行道遲遲，載渴載飢。我心傷悲，莫知我哀！||
詩經·小雅·鶴鳴|他山之石|鶴鳴于九皋，聲聞于天。……他山之石，可以攻玉。||
詩經·小雅·小旻|如臨深淵|戰戰兢兢，如臨深淵，如履薄冰。||
詩經·小雅·蓼莪|哀哀父母|蓼蓼者莪，匪莪伊蒿。哀哀父母，生我劬勞。||
詩經·小雅·北山|溥天之下|溥天之下，莫非王土；率土之濱，莫非王臣。|「溥」，《孟子》引作「普」。|
詩經·小雅·車舝|高山仰止|高山仰止，景行行止。|「仰」，一作「卬」。|
詩經·大雅·文王|周雖舊邦|文王在上，於昭于天。周雖舊邦，其命維新。||
詩經·大雅·蕩|靡不有初|靡不有初，鮮克有終。||
詩經·大雅·烝民|既明且哲|既明且哲，以保其身。夙夜匪解，以事一人。|「解」，讀為「懈」。|
詩經·大雅·抑|投桃報李|投我以桃，報之以李。||
詩經·周頌·敬之|日就月將|日就月將，學有緝熙于光明。||
詩經·商頌·玄鳥|天命玄鳥|天命玄鳥，降而生商，宅殷土芒芒。||)";

// Jottings on the L pages, which have scans but no notes file.
const char *const kLoose = R"(荀子·勸學|青出於藍|青，取之於藍，而青於藍；冰，水為之，而寒於水。||
荀子·勸學|積土成山|積土成山，風雨興焉；積水成淵，蛟龍生焉。不積跬步，無以至千里；不積小流，無以成江海。||
荀子·勸學|鍥而不舍|鍥而舍之，朽木不折；鍥而不舍，金石可鏤。||
禮記·學記|玉不琢，不成器|玉不琢，不成器；人不學，不知道。||
禮記·學記|教學相長|學然後知不足，教然後知困。知不足，然後能自反也；知困，然後能自強也。故曰：教學相長也。||
禮記·學記|獨學而無友|獨學而無友，則孤陋而寡聞。||
禮記·禮運|大道之行也|大道之行也，天下為公。選賢與能，講信修睦。||
易·乾·象傳|天行健|天行健，君子以自強不息。||
易·坤·象傳|地勢坤|地勢坤，君子以厚德載物。||
易·繫辭上|一陰一陽之謂道|一陰一陽之謂道，繼之者善也，成之者性也。||)";

struct BookSource {
    char letter;
    const char *fileName;
    const char *title;
    const char *data;
};
const BookSource kBooks[] = {
    {'K', "velmora200_k.xml", "論語講記", kLunyu},
    {'M', "velmora200_M.xml", "孟子學庸講記", kMengzi},
    {'N', "velmora200_N.xml", "老莊講記", kLaoZhuang},
    {'O', "velmora200_O.xml", "詩經講記", kShijing},
};

struct Passage {
    QString title, headword, passage, note, remark;
};

QList<Passage> ParsePassages(const char *data) {
    QList<Passage> out;
    const QStringList lines = QString::fromUtf8(data).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        const QStringList f = line.split(QLatin1Char('|'));
        if (f.size() != 5)
            throw VelmoraError(QStringLiteral("demo text: malformed passage line: %1").arg(line));
        out.append({f[0], f[1], f[2], f[3], f[4]});
    }
    return out;
}

// The teacher's stock phrases, for passages without a note or remark of their own.
const char *const kStockNotes[] = {
    "此章文字，諸本並同。",         "「%1」一語，各本無異文。",
    "今據通行本錄出，句讀依師說。", "「%1」，舊鈔本字形小異，今從通行本。",
    "諸本同。石經殘字可參。",
};
const char *const kStockRemarks[] = {
    "此章要旨在「%1」一語，讀者當反覆體會。",
    "師云：此語可作座右銘。",
    "與前章參看，其義自明。",
    "課堂講此章，舉日用之事為例。",
    "此言學者立身之本，不可不察。",
    "前人說此章者眾，當以本文為主，勿為注家所囿。",
};
const char *const kSecondRemarks[] = {
    "又按：先熟讀白文，再看注疏。",
    "又按：此條可與講義互參。",
    "又按：背誦。",
};
// Highlighter colours of the teacher's markings, cycled through the entries.
const char *const kContentMarks[] = {"yc", "bc", "gc", "rc", "g2c", "underline"};
const char *const kNoteMarks[] = {"red", "g5c", "red", "bold"};
const char *const kRemarkMarks[] = {"underline", "bold", "blue"};

QString Span(const char *cls, const QString &text) {
    return QStringLiteral("<span class=\"%1\">%2</span>").arg(QLatin1String(cls), text);
}

QString Commentary(const QString &title) {
    if (title.startsWith(QStringLiteral("道德經"))) return QStringLiteral("參看王弼《老子道德經注》。");
    if (title.startsWith(QStringLiteral("莊子"))) return QStringLiteral("參看郭象《莊子注》。");
    if (title.startsWith(QStringLiteral("詩經"))) return QStringLiteral("參看《毛詩正義》。");
    return QStringLiteral("參看朱熹《四書章句集注》。");
}

// Splits after sentence-ending punctuation, keeping it; a closing quote stays with its sentence.
QStringList Sentences(const QString &text) {
    QStringList out;
    QString cur;
    for (int i = 0; i < text.size(); ++i) {
        cur += text[i];
        const bool end = QStringLiteral("。；？！").contains(text[i]);
        if (end && i + 1 < text.size() && QStringLiteral("」』").contains(text[i + 1])) continue;
        if ((end || text[i] == QChar(0x300D)) && cur.size() >= 12) {
            out.append(cur);
            cur.clear();
        }
    }
    if (!cur.isEmpty()) {
        if (!out.isEmpty() && cur.size() < 6)
            out.last() += cur;
        else
            out.append(cur);
    }
    return out;
}

// Headword file lines: long headwords are written over several lines, broken after commas.
QStringList HeadwordLines(const QString &headword, int n) {
    QStringList lines;
    if (headword.contains(QChar(0xFF0C)) && n % 3 != 2) {
        QString cur;
        for (QChar c : headword) {
            cur += c;
            if (c == QChar(0xFF0C)) {
                lines.append(cur);
                cur.clear();
            }
        }
        if (!cur.isEmpty()) lines.append(cur);
    } else {
        lines.append(headword);
    }
    // Some headwords are indented with an ideographic space, as the teacher typed them.
    if (n % 9 == 4) lines.first().prepend(QChar(0x3000));
    return lines;
}

DemoEntry MakeEntry(const Passage &p, int n) {
    DemoEntry e;
    e.headword = HeadwordLines(p.headword, n);

    // Content: the passage, with the headword (or its first phrase) marked by a highlighter.
    QString passage = p.passage;
    QString key = p.headword;
    if (!passage.contains(key)) key = key.section(QChar(0xFF0C), 0, 0);
    const int at = passage.indexOf(key);
    if (at >= 0 && !key.isEmpty()) passage.replace(at, key.size(), Span(kContentMarks[n % 6], key));
    if (n % 3 == 1 && p.passage.size() > 30) {
        // Long passages are written one sentence a line; marks never span a sentence break.
        const QStringList plainLines = Sentences(p.passage);
        QStringList lines;
        for (const QString &s : plainLines) {
            QString line = s;
            const int k = line.indexOf(key);
            if (k >= 0 && lines.join(QString()).indexOf(key) < 0 && !key.isEmpty())
                line.replace(k, key.size(), Span(kContentMarks[n % 6], key));
            lines.append(line);
        }
        e.content = lines;
    } else {
        e.content = QStringList{passage};
    }

    // Collation notes: most entries; the first quoted form gets the teacher's marking.
    if (n % 5 != 3) {
        QString note = p.note;
        if (note.isEmpty())
            note = QString::fromUtf8(kStockNotes[n % 5])
                       .replace(QStringLiteral("%1"), p.headword.section(QChar(0xFF0C), 0, 0));
        const int q1 = note.indexOf(QChar(0x300C));
        const int q2 = note.indexOf(QChar(0x300D), q1 + 1);
        if (q1 >= 0 && q2 > q1)
            note.replace(q1, q2 - q1 + 1, Span(kNoteMarks[n % 4], note.mid(q1, q2 - q1 + 1)));
        e.note = QStringList{note};
    }

    // Remarks: most entries, a few of them over two lines.
    if (n % 7 != 5) {
        QString remark = p.remark;
        if (remark.isEmpty())
            remark = QString::fromUtf8(kStockRemarks[n % 6]).replace(QStringLiteral("%1"), p.headword);
        // The mark covers the opening phrase, up to the first colon or comma outside quotes.
        int stop = -1, depth = 0;
        for (int k = 0; k < remark.size() && stop < 0; ++k) {
            const QChar c = remark[k];
            if (c == QChar(0x300C))
                ++depth;
            else if (c == QChar(0x300D))
                --depth;
            else if (depth == 0 && (c == QChar(0xFF1A) || c == QChar(0xFF0C)))
                stop = k;
        }
        if (stop > 0)
            remark = Span(kRemarkMarks[n % 3], remark.left(stop)) + remark.mid(stop);
        else
            remark = Span(kRemarkMarks[n % 3], remark);
        e.remark = QStringList{remark};
        if (n % 4 == 2) e.remark.append(QString::fromUtf8(kSecondRemarks[n % 3]));
    }

    // Sources: every entry; some add the commentary to read beside it on a second line.
    e.source = QStringList{QStringLiteral("《%1》").arg(p.title)};
    if (n % 5 == 1) e.source.append(Span("g2c", Commentary(p.title)));
    return e;
}

// Pages hold three to five entries; their headwords sit at the top of equal slots.
const int kPageSizes[] = {4, 3, 5, 4, 4, 3, 5};
constexpr int kTextTop = 340;
constexpr int kTextBottom = kScanHeight - 220;

QList<DemoPage> LayOut(QChar letter, const QList<DemoEntry> &entries, bool allLocated) {
    QList<DemoPage> pages;
    int next = 0;
    for (int p = 0; next < entries.size(); ++p) {
        const int count = qMin(kPageSizes[p % 7], int(entries.size()) - next);
        DemoPage page;
        page.name = QStringLiteral("%1%2").arg(letter).arg(p + 1, 3, 10, QLatin1Char('0'));
        const int slot = (kTextBottom - kTextTop) / kPageSizes[p % 7];
        for (int j = 0; j < count; ++j, ++next) {
            DemoEntry e = entries[next];
            // About one entry in eight has not been located on its scan yet.
            e.cx = 330 + ((next * 37) % 5) * 24;
            e.cy = kTextTop + j * slot + 95 + ((next * 13) % 3) * 6;
            if (allLocated || next % 8 != 6) {
                e.x = e.cx + kOverlayShift;
                e.y = e.cy;
            }
            page.entries.append(e);
        }
        pages.append(page);
    }
    return pages;
}

} // namespace

QList<DemoBook> BuildBooks() {
    QList<DemoBook> books;
    for (const BookSource &src : kBooks) {
        DemoBook book;
        book.letter = QLatin1Char(src.letter);
        book.fileName = QString::fromLatin1(src.fileName);
        book.title = QString::fromUtf8(src.title);
        const QList<Passage> passages = ParsePassages(src.data);
        QList<DemoEntry> entries;
        for (int n = 0; n < passages.size(); ++n)
            entries.append(MakeEntry(passages[n], n));
        book.pages = LayOut(book.letter, entries, false);
        books.append(book);
    }
    return books;
}

QList<DemoPage> LooseScanPages() {
    const QList<Passage> passages = ParsePassages(kLoose);
    QList<DemoEntry> entries;
    for (int n = 0; n < passages.size(); ++n) {
        DemoEntry e;
        e.headword = QStringList{passages[n].headword};
        e.content = QStringList{passages[n].passage};
        e.source = QStringList{QStringLiteral("《%1》").arg(passages[n].title)};
        entries.append(e);
    }
    // Positions drive the drawing even though no notes file records them.
    return LayOut(QLatin1Char('L'), entries, true);
}

namespace {

void AppendSection(QStringList &out, const char *tag, const QStringList &lines) {
    if (lines.isEmpty()) return;
    const QString open = QStringLiteral("<%1>").arg(QString::fromUtf8(tag));
    const QString close = QStringLiteral("</%1>").arg(QString::fromUtf8(tag));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (i == 0) line.prepend(open);
        if (i == lines.size() - 1) line.append(close);
        out.append(line);
    }
}

} // namespace

QByteArray NotesFileBytes(const DemoBook &book) {
    QStringList out;
    out.append(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    out.append(QStringLiteral("<velmora200 book=\"%1\">").arg(book.letter));
    out.append(QStringLiteral("<!-- 澄溪導師筆記 %1 -->").arg(book.title));
    for (const DemoPage &page : book.pages) {
        out.append(QString());
        out.append(QStringLiteral("<page>%1</page>").arg(page.name));
        for (const DemoEntry &e : page.entries) {
            AppendSection(out, "條目", e.headword);
            if (e.x >= 0) out.append(QStringLiteral("<座標 x=\"%1\" y=\"%2\"/>").arg(e.x).arg(e.y));
            AppendSection(out, "內容", e.content);
            AppendSection(out, "校註", e.note);
            AppendSection(out, "案語", e.remark);
            AppendSection(out, "出處", e.source);
        }
    }
    out.append(QString());
    out.append(QStringLiteral("</velmora200>"));
    return QByteArray("\xEF\xBB\xBF") + out.join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
}

namespace {

QString Joined(const QStringList &lines, bool trailing) {
    QString s = lines.join(QStringLiteral("<br><br>"));
    if (trailing && !lines.isEmpty()) s += QStringLiteral("<br><br>");
    return s;
}

} // namespace

QString CheckNotesFile(const QString &path, const DemoBook &book) {
    Notebook nb;
    try {
        nb.LoadNotes(path);
    } catch (const VelmoraError &e) {
        return QStringLiteral("%1: %2").arg(path, e.message());
    }
    QList<NoteEntry> want;
    for (const DemoPage &page : book.pages) {
        NoteEntry p;
        p.isPage = true;
        p.pageImage = QStringLiteral(".\\image\\%1\\%2.jpg").arg(page.name.left(1), page.name);
        p.title = QStringLiteral("[%1]").arg(page.name);
        want.append(p);
        for (const DemoEntry &e : page.entries) {
            NoteEntry r;
            r.pageImage = p.pageImage;
            r.title = e.headword.join(QStringLiteral("<br>"));
            r.lineCount = e.headword.size();
            r.content = Joined(e.content, false);
            r.note = Joined(e.note, true);
            r.remark = Joined(e.remark, true);
            r.source = Joined(e.source, true);
            r.x = e.x;
            r.y = e.y;
            want.append(r);
        }
    }
    if (nb.entries.size() != want.size())
        return QStringLiteral("%1: %2 records read, %3 written")
            .arg(path)
            .arg(nb.entries.size())
            .arg(want.size());
    for (int i = 0; i < want.size(); ++i) {
        const NoteEntry &a = nb.entries[i];
        const NoteEntry &b = want[i];
        if (a.isPage != b.isPage || a.pageImage != b.pageImage || a.title != b.title ||
            a.lineCount != b.lineCount || a.content != b.content || a.note != b.note ||
            a.remark != b.remark || a.source != b.source || a.x != b.x || a.y != b.y)
            return QStringLiteral("%1: record %2 (%3) reads back differently").arg(path).arg(i).arg(b.title);
    }
    return QString();
}

QString PlainText(const QString &fragment) {
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    QString s = fragment;
    return s.remove(tag);
}

} // namespace demo
