#include "commonnames.h"

#include <QTextCodec>

#include <random>
#include <vector>

namespace {

struct Share {
    char16_t surname;
    double percent;
};

// The 100 commonest surnames with their share of the population in percent, as the
// household registers count them.
const Share CommonSurnames[] = {
    {u'王', 7.12}, {u'李', 7.00}, {u'张', 6.74}, {u'刘', 5.10}, {u'陈', 4.61}, {u'杨', 3.22},
    {u'黄', 2.45}, {u'赵', 2.29}, {u'吴', 2.05}, {u'周', 1.97}, {u'徐', 1.66}, {u'孙', 1.54},
    {u'马', 1.45}, {u'朱', 1.35}, {u'胡', 1.31}, {u'郭', 1.16}, {u'何', 1.16}, {u'林', 1.14},
    {u'高', 1.10}, {u'罗', 0.95}, {u'郑', 0.88}, {u'梁', 0.86}, {u'谢', 0.79}, {u'宋', 0.73},
    {u'唐', 0.73}, {u'许', 0.68}, {u'韩', 0.66}, {u'邓', 0.66}, {u'冯', 0.65}, {u'曹', 0.64},
    {u'彭', 0.61}, {u'曾', 0.60}, {u'肖', 0.58}, {u'田', 0.55}, {u'董', 0.52}, {u'潘', 0.51},
    {u'袁', 0.51}, {u'蔡', 0.50}, {u'蒋', 0.49}, {u'余', 0.48}, {u'于', 0.48}, {u'杜', 0.47},
    {u'叶', 0.46}, {u'程', 0.45}, {u'魏', 0.42}, {u'苏', 0.42}, {u'吕', 0.41}, {u'丁', 0.40},
    {u'任', 0.39}, {u'卢', 0.37}, {u'姚', 0.37}, {u'沈', 0.37}, {u'钟', 0.33}, {u'姜', 0.33},
    {u'崔', 0.33}, {u'谭', 0.32}, {u'陆', 0.31}, {u'范', 0.30}, {u'汪', 0.30}, {u'廖', 0.29},
    {u'石', 0.29}, {u'金', 0.28}, {u'韦', 0.28}, {u'贾', 0.27}, {u'夏', 0.27}, {u'付', 0.26},
    {u'方', 0.26}, {u'邹', 0.24}, {u'熊', 0.24}, {u'白', 0.24}, {u'孟', 0.23}, {u'秦', 0.23},
    {u'邱', 0.22}, {u'侯', 0.22}, {u'江', 0.22}, {u'尹', 0.21}, {u'薛', 0.21}, {u'闫', 0.21},
    {u'段', 0.20}, {u'雷', 0.20}, {u'龙', 0.19}, {u'黎', 0.19}, {u'史', 0.19}, {u'陶', 0.18},
    {u'贺', 0.18}, {u'毛', 0.17}, {u'郝', 0.17}, {u'顾', 0.17}, {u'龚', 0.16}, {u'邵', 0.16},
    {u'万', 0.15}, {u'覃', 0.15}, {u'武', 0.15}, {u'钱', 0.15}, {u'戴', 0.14}, {u'严', 0.14},
    {u'莫', 0.14}, {u'孔', 0.13}, {u'向', 0.13}, {u'常', 0.13},
};

// Surnames 101 to about 400, commonest first; their shares fall from about 0.12 %.
const QString RarerSurnames = QStringLiteral(
    "汤温康施文牛樊葛邢安齐易乔伍庞颜倪庄聂章鲁岳翟殷詹申欧耿关兰焦俞左柳甘祝包宁尚符"
    "舒阮柯纪梅童凌毕单季裴霍涂成苗谷盛曲翁冉骆蓝路游辛靳管柴蒙鲍华喻祁蒲房滕屈饶解牟"
    "艾尤阳时穆农司卓古吉缪简车项连芦麦褚娄窦戚岑景党宫费卜冷晏席卫米柏宗瞿桂全佟应臧"
    "闵苟邬边卞姬师和仇栾隋商刁沙荣巫寇桑郎甄丛仲虞敖巩明佘池查麻苑迟邝官封谈匡鞠惠荆"
    "乐冀郁胥南班储原栗燕楚鄢劳谌奚皮粟冼蔺楼盘满闻位厉伊仝区郜海阚花权强帅屠豆朴盖练"
    "廉禹井祖漆巴丰支卿国狄平计索宣晋相初门云容敬来扈晁芮都普阙浦戈伏鹿薄邸雍辜羊阿乌"
    "母裘亓修邰赫杭况那宿鲜印逯隆茹诸战慕危玉银亢嵇公哈湛宾戎勾茅利於呼居揭干但尉冶斯"
    "元束檀衣信展阴昝智幸奉植衡富尧闭由");

const QStringList CompoundSurnames{QStringLiteral("欧阳"), QStringLiteral("司马"),
                                   QStringLiteral("诸葛"), QStringLiteral("上官"),
                                   QStringLiteral("皇甫"), QStringLiteral("令狐")};

// The characters most used in given names, commonest first: older names' 英, 华, 秀 and
// the newer 子, 涵, 梓, 萱.
const QString GivenCharacters = QStringLiteral(
    "英华文玉明秀兰丽军平红国金春建芳海志伟梅林霞德小云永荣杰敏静勇强燕娟宇俊磊涛洋艳"
    "超辉刚飞鹏波斌浩凯健亮宁婷雪琳晶倩佳欣怡涵子轩梓萱雨思一诺睿泽晨博嘉悦瑶琪可馨妍"
    "彤熙锦然豪昊天逸航铭哲翔阳辰安乐语诗若依沐晴钰皓晗璐瑾凤珍桂芬娜丹萍慧颖莉琴美淑"
    "秋菊香月珠兴成福生全胜祥才发光东新民宏庆武忠立清良山江峰川毅力坤鑫彬旭帆宸煜奕墨"
    "瀚朗钧霖琦璇蕾薇露婉妮雯菲岚茜蓉莹洁嫣婧娇媛姗惠爽帅朋啸坚伦旺亭骏楠柏松桐榕乔奇"
    "宣添凡衡硕源远达");

// Shares that fall with rank as word counts do, for the lists that have no counted ones.
std::vector<double> byRank(qsizetype count, double first)
{
    std::vector<double> weights;
    for (qsizetype rank = 0; rank < count; ++rank)
        weights.push_back(first * 20.0 / double(rank + 20));
    return weights;
}

} // namespace

QList<QChar> commonHanzi()
{
    QTextCodec *codec = QTextCodec::codecForName("GBK");
    QList<QChar> hanzi;
    for (int lead = 0xB0; lead <= 0xD7; ++lead) {
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            const char pair[] = {char(lead), char(trail)};
            const QString decoded = codec->toUnicode(pair, 2);
            if (decoded.size() == 1 && decoded.at(0) >= u'\u4E00' && decoded.at(0) <= u'\u9FFF')
                hanzi.append(decoded.at(0));
        }
    }
    return hanzi;
}

QStringList commonChineseNames(qsizetype count, quint32 seed)
{
    QStringList surnames;
    std::vector<double> shares;
    for (const Share &share : CommonSurnames) {
        surnames.append(QChar(share.surname));
        shares.push_back(share.percent);
    }
    const std::vector<double> rarer = byRank(RarerSurnames.size(), 0.12);
    for (qsizetype i = 0; i < RarerSurnames.size(); ++i) {
        surnames.append(RarerSurnames.at(i));
        shares.push_back(rarer[std::size_t(i)]);
    }
    for (const QString &compound : CompoundSurnames) {
        surnames.append(compound);
        shares.push_back(0.05);
    }
    const std::vector<double> givenShares = byRank(GivenCharacters.size(), 1.0);

    std::mt19937 generator(seed);
    std::discrete_distribution<qsizetype> surname(shares.begin(), shares.end());
    std::discrete_distribution<qsizetype> given(givenShares.begin(), givenShares.end());
    std::uniform_int_distribution<int> die(1, 6);
    QStringList names;
    names.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        QString name = surnames.at(surname(generator));
        for (int n = die(generator) == 1 ? 1 : 2; n > 0; --n)
            name += GivenCharacters.at(given(generator));
        names.append(name);
    }
    return names;
}
